#!/usr/bin/env bash
# The whole test suite from scratch: installs what it needs, checks the formatting, builds with
# warnings as errors and runs every test, checks the installation (the example add-in built
# against it, the Debian package), builds and runs the tests again under AddressSanitizer
# and UBSan, runs the fuzzers for a bounded time, then cross-builds everything for Windows
# (mingw-w64) and runs the Windows tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
build=${BUILD_DIR:-build/ci}
asan=${ASAN_BUILD_DIR:-build/asan}
win32=${WIN32_BUILD_DIR:-build/win32}
fuzz=${FUZZ_BUILD_DIR:-build/fuzz}

if git rev-parse --git-dir >/dev/null 2>&1; then
  echo "== Format (clang-format; examples and golden files are data, not code)"
  git ls-files -- '*.cpp' '*.h' ':!examples/**' ':!tests/ide/headless/golden/**' |
    xargs clang-format --dry-run --Werror
fi

echo "== Layers (each include goes down the layer order)"
scripts/check-layers.sh

echo "== Build (warnings are errors)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEB_WERROR=ON
cmake --build "$build" -j "$jobs"

echo "== Tests (those labelled \"long\" are for ctest -L soak)"
ctest --test-dir "$build" --output-on-failure -j "$jobs" -LE long

echo "== Mutation check (the faults of scripts/mutants.txt, one at a time, in a Debug copy)"
MUTATE_JOBS="$jobs" scripts/mutate.sh

echo "== Install to a temporary prefix, the example add-in against it, the Debian package"
scripts/check-install.sh "$build"

echo "== Sanitizer build"
cmake -S . -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEB_WERROR=ON -DZEB_SANITIZE=ON \
  -DZEB_BUILD_BENCH=OFF
cmake --build "$asan" -j "$jobs"

echo "== Tests under AddressSanitizer and UBSan"
ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$asan" --output-on-failure -j "$jobs" -LE "wine|fpc|long"

echo "== Fuzzing (libFuzzer under AddressSanitizer and UBSan, about 20 s a harness)"
cmake -S tests/fuzz -B "$fuzz" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
cmake --build "$fuzz" -j "$jobs"
ctest --test-dir "$fuzz" --output-on-failure -L fuzz

echo "== Windows cross build (mingw-w64, warnings are errors)"
cmake -S . -B "$win32" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEB_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake"
cmake --build "$win32" -j "$jobs"

echo "== Windows tests under Wine"
started=$SECONDS
ctest --test-dir "$win32" --output-on-failure -L wine
echo "(the Windows tests took $((SECONDS - started)) s under Wine)"
