#!/bin/sh
# Prepares the Wine prefix given as $1 for running without a display or a user: windows use the
# null graphics driver, a crash ends the program instead of waiting on a dialog, and a persistent
# server keeps the programs started by the tests quick. "stop" as $2 ends that server.
set -eu
export WINEPREFIX="$1"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ "${2:-}" = stop ]; then
  wineserver -k 2>/dev/null || true
  exit 0
fi
if [ ! -f "$WINEPREFIX/.zeb-ready" ]; then
  mkdir -p "$WINEPREFIX"
  timeout 300 wineboot -i </dev/null >/dev/null 2>&1
  timeout 60 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
  timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    </dev/null >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w
  touch "$WINEPREFIX/.zeb-ready"
fi
# The server outlives this script and the tests; "stop" ends it.
# One may already run for this prefix (left by an earlier run): that one serves as well.
wineserver -p </dev/null >/dev/null 2>&1 || true
timeout 60 wine cmd /c exit </dev/null >/dev/null 2>&1
