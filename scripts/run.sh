#!/usr/bin/env bash
# The demo: installs what it needs, builds, and runs zeb-host (the headless IDE) with the add-in
# over examples/demo.zs, on copies of the examples in a temporary folder (the committed examples
# stay as they are). Works without a display and without standard input.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=${BUILD_DIR:-build/run}
jobs=${JOBS:-2}
echo "== Build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZEB_BUILD_TESTS=OFF -DZEB_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target zeb-host

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/Unit1.pas examples/Unit1.dfm examples/Main.cpp examples/Main.h examples/demo.zs "$work"/

echo "== zeb-host --packages"
"$build/bin/zeb-host" --packages
echo "== zeb-host --script demo.zs (in a copy of examples/)"
cd "$work"
"$OLDPWD/$build/bin/zeb-host" --script demo.zs </dev/null
