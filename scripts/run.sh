#!/usr/bin/env bash
# The demo: installs what it needs, builds, and runs the IDE with the add-in on copies of the
# examples in a temporary folder (the committed examples stay as they are).
#
# With a display it opens the IDE window, zeb-ide, on the examples. Without one (or with
# --headless) it runs zeb-host, the headless IDE, over examples/demo.zs; that needs neither a
# display nor standard input.
set -euo pipefail
cd "$(dirname "$0")/.."

headless=0
case "${1:-}" in
  --headless) headless=1 ;;
  -h|--help)
    echo "usage: bash scripts/run.sh [--headless]"
    echo "Opens the IDE window on the examples when a display is present; otherwise, or with"
    echo "--headless, runs the headless demo script."
    exit 0 ;;
  "") ;;
  *) echo "run.sh: unknown argument '$1' (try --help)" >&2; exit 2 ;;
esac
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then headless=1; fi

scripts/install-deps.sh

build=${BUILD_DIR:-build/run}
jobs=${JOBS:-$(nproc)}
echo "== Build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZEB_BUILD_TESTS=OFF -DZEB_BUILD_BENCH=OFF >/dev/null
targets=(zeb-host zeb-trace)
[ "$headless" -eq 0 ] && targets+=(zeb-ide)
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/Unit1.pas examples/Unit1.dfm examples/Main.cpp examples/Main.h examples/demo.zs "$work"/
case "$build" in /*) bin="$build/bin" ;; *) bin="$PWD/$build/bin" ;; esac

if [ "$headless" -eq 0 ]; then
  echo "== zeb-ide on a copy of examples/ (select lines and press Tab, Shift+Tab, Ctrl+Alt+U)"
  "$bin/zeb-ide" "$work/Unit1.pas" "$work/Main.cpp"
  exit 0
fi

echo "== zeb-host --packages"
"$bin/zeb-host" --packages
echo "== zeb-host --script demo.zs (in a copy of examples/)"
cd "$work"
"$bin/zeb-host" --script demo.zs </dev/null
