#!/bin/sh
# Runs a Windows program under Wine in the prefix named by WINEPREFIX (the cross build's tests
# set it inside their build tree; Wine would otherwise create ~/.wine). Exit codes pass through.
set -eu
: "${WINEPREFIX:?WINEPREFIX must be set}"
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
exec timeout -k 5 300 wine "$@" </dev/null
