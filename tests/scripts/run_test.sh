#!/usr/bin/env bash
# scripts/run.sh --headless with an absolute BUILD_DIR. Stand-ins for cmake and dpkg-query make
# it run the programs already built in BUILD_DIR without configuring, building or installing
# anything.
# Usage: run_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$1
build=$2
fake=$(mktemp -d)
trap 'rm -rf "$fake"' EXIT
printf '#!/bin/sh\nexit 0\n' >"$fake/cmake"
printf '#!/bin/sh\necho "install ok installed"\n' >"$fake/dpkg-query"
chmod +x "$fake/cmake" "$fake/dpkg-query"
out=$(cd "$fake" && PATH="$fake:$PATH" XDG_DATA_HOME="$fake/data" BUILD_DIR="$build" \
  bash "$source/scripts/run.sh" --headless 2>&1) || {
  echo "FAIL: run.sh with BUILD_DIR=$build: $out" >&2
  exit 1
}
grep -q '^end dialog$' <<<"$out" || {
  echo "FAIL: run.sh ran no demo: $out" >&2
  exit 1
}
