#!/usr/bin/env bash
# Checks what a build folder installs, and the Debian package made from it, without installing
# anything on the machine:
#   1. installs into a temporary prefix and checks the files, the runtime library's soname, the
#      desktop entry and that the installed zeb-host finds the add-in in PREFIX/lib/zeb-ide/packages/;
#   2. builds examples/addin-hello (a copy, outside the source tree) against that prefix alone and
#      runs its script test;
#   3. makes the .deb with cpack, checks it with dpkg-deb --info and --contents, and runs
#      zeb-host --packages from the files dpkg-deb -x extracts.
#
#   scripts/check-install.sh [BUILD]     (BUILD: a configured and built folder, by default build/ci)
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
build=$(realpath "${1:-build/ci}")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "check-install: $*" >&2
  exit 1
}
# The installed programs must need neither LD_LIBRARY_PATH nor the user's own packages.
unset LD_LIBRARY_PATH
export XDG_DATA_HOME="$work/data"

# zeb-host --packages run from PREFIX lists the add-in as found in PREFIX's packages folder.
check_packages() {
  local prefix=$1 listing
  listing=$("$prefix/bin/zeb-host" --packages) || fail "$prefix/bin/zeb-host --packages failed"
  grep -qxF "  Found in: system packages folder $prefix/lib/zeb-ide/packages/" <<<"$listing" ||
    fail "zeb-host in $prefix did not find the add-in in its packages folder:"$'\n'"$listing"
  grep -qxF "  File: $prefix/lib/zeb-ide/packages/ZEB_IDE_Addin_2007.so" <<<"$listing" ||
    fail "zeb-host in $prefix did not load ZEB_IDE_Addin_2007.so"
}

echo "-- cmake --install to a temporary prefix"
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
qt=$(sed -n 's/^ZEB_BUILD_QT:BOOL=//p' "$build/CMakeCache.txt")
expected=(bin/zeb-host bin/zeb-trace lib/zeb-ide/packages/ZEB_IDE_Addin_2007.so lib/libzebrtl.so
  lib/libzeb_trace.a include/zeb-ide/api/ToolsAPI.h include/zeb-ide/runtime/Forms.h
  include/zeb-ide/trace/uTrace.h lib/cmake/ZebIde/ZebIdeConfig.cmake
  share/man/man1/zeb-host.1 share/man/man1/zeb-trace.1 share/doc/zeb-ide/README.md
  share/doc/zeb-ide/LICENSE)
if [ "$qt" = ON ]; then
  expected+=(bin/zeb-ide share/man/man1/zeb-ide.1 share/applications/zeb-ide.desktop
    share/icons/hicolor/scalable/apps/zeb-ide.svg share/applications/zeb-trace.desktop
    share/icons/hicolor/scalable/apps/zeb-trace.svg)
fi
for file in "${expected[@]}"; do
  [ -e "$prefix/$file" ] || fail "the installation lacks $file"
done
objdump -p "$prefix/lib/libzebrtl.so" | grep -qE 'SONAME +libzebrtl\.so\.[0-9]+' ||
  fail "libzebrtl.so has no versioned soname"
if [ "$qt" = ON ]; then
  desktop-file-validate "$prefix/share/applications/zeb-ide.desktop"
  desktop-file-validate "$prefix/share/applications/zeb-trace.desktop"
fi
check_packages "$prefix"

echo "-- examples/addin-hello built against that prefix alone, and its script test"
cp -r "$source/examples/addin-hello" "$work/hello-src"
cmake -S "$work/hello-src" -B "$work/hello" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
grep -qxF "ZebIde_DIR:PATH=$prefix/lib/cmake/ZebIde" "$work/hello/CMakeCache.txt" ||
  fail "examples/addin-hello did not find ZebIde in $prefix"
cmake --build "$work/hello" >/dev/null
ctest --test-dir "$work/hello" --output-on-failure

echo "-- The Debian package (cpack -G DEB), checked with dpkg-deb"
(cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(echo "$work"/deb/zeb-ide_*_"$(dpkg --print-architecture)".deb)
[ -f "$deb" ] || fail "cpack made no zeb-ide_VERSION_ARCH.deb"
info=$(dpkg-deb --info "$deb")
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
for dependency in libc6 libstdc++6; do
  grep -q "$dependency" <<<"$depends" || fail "the package does not depend on $dependency: $depends"
done
if [ "$qt" = ON ]; then
  for dependency in libqt6widgets6 fonts-; do
    grep -q "$dependency" <<<"$depends" || fail "the package does not depend on $dependency*: $depends"
  done
fi
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for file in "${expected[@]}"; do
  grep -qxF "./usr/$file" <<<"$contents" || fail "the package lacks /usr/$file"
done
dpkg-deb -x "$deb" "$work/root"
check_packages "$work/root/usr"
echo "$(basename "$deb"): Depends: $depends"
