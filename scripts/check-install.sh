#!/usr/bin/env bash
# Checks what a build folder installs, and the Debian package made from it, without installing
# anything on the machine:
#   1. installs into a temporary prefix and checks the files, the runtime library's soname, the
#      desktop entry and that the installed zeb-host finds the add-in in PREFIX/lib/zeb-ide/packages/;
#   2. builds examples/addin-hello and examples/addin-lines (copies, outside the source tree)
#      against that prefix alone, checks that the packages carry no RUNPATH, and runs their
#      script tests; builds addin-lines again with AddressSanitizer and runs its script test in
#      the installed (unsanitized) zeb-host, the sanitizer preloaded for zeb-host alone;
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
geany=$(sed -n 's/^ZEB_BUILD_GEANY:BOOL=//p' "$build/CMakeCache.txt")
geany_dir=$(sed -n 's/^ZEB_GEANY_PLUGIN_DIR:STRING=//p' "$build/CMakeCache.txt")
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
geany_expected=()
if [ "$geany" = ON ]; then geany_expected=("$geany_dir/zeb-geany.so"); fi
for file in "${expected[@]}" "${geany_expected[@]}"; do
  [ -e "$prefix/$file" ] || fail "the installation lacks $file"
done
# The plugin finds the runtime library of its installation by its RUNPATH, from Geany's folder.
check_plugin() {
  local root=$1 runpath
  [ "$geany" = ON ] || return 0
  runpath=$(objdump -p "$root/$geany_dir/zeb-geany.so" | awk '$1 == "RUNPATH" {print $2}')
  [ -e "$root/$geany_dir/${runpath#\$ORIGIN/}/libzebrtl.so.0.3" ] ||
    fail "zeb-geany.so in $root does not find libzebrtl.so.0.3 by its RUNPATH $runpath"
}
check_plugin "$prefix"
objdump -p "$prefix/lib/libzebrtl.so" | grep -qE 'SONAME +libzebrtl\.so\.[0-9]+' ||
  fail "libzebrtl.so has no versioned soname"
if [ "$qt" = ON ]; then
  desktop-file-validate "$prefix/share/applications/zeb-ide.desktop"
  desktop-file-validate "$prefix/share/applications/zeb-trace.desktop"
fi
check_packages "$prefix"

# build_example NAME TARGET [CMAKE ARGS...]: examples/NAME built against the prefix alone into
# $work/NAME-build..., its package checked for a RUNPATH, and its script test run.
build_example() {
  local name=$1 target=$2 build="$work/$1-build$#"
  shift 2
  [ -d "$work/$name-src" ] || cp -r "$source/examples/$name" "$work/$name-src"
  cmake -S "$work/$name-src" -B "$build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON "$@" >/dev/null
  grep -qxF "ZebIde_DIR:PATH=$prefix/lib/cmake/ZebIde" "$build/CMakeCache.txt" ||
    fail "examples/$name did not find ZebIde in $prefix"
  cmake --build "$build" >/dev/null
  if objdump -p "$build/$target.so" | grep -qE 'RPATH|RUNPATH'; then
    fail "$target.so carries a RUNPATH: $(objdump -p "$build/$target.so" | grep -E 'RPATH|RUNPATH')"
  fi
  ctest --test-dir "$build" --output-on-failure
}

echo "-- examples/addin-hello and examples/addin-lines built against that prefix alone, and their"
echo "   script tests"
build_example addin-hello AddinHello
build_example addin-lines AddinLines
echo "-- examples/addin-lines built with AddressSanitizer, tested in the installed zeb-host"
build_example addin-lines AddinLines -DCMAKE_CXX_FLAGS=-fsanitize=address \
  "-DZEB_SCRIPT_TEST_HOST_ENVIRONMENT=LD_PRELOAD=$(g++ -print-file-name=libasan.so);ASAN_OPTIONS=detect_leaks=0"

echo "-- The Debian packages (cpack -G DEB), checked with dpkg-deb"
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

# zeb-geany: the Geany plugin alone, in Geany's plugin folder, needing Geany and this zeb-ide.
if [ "$geany" = ON ]; then
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
  plugin_deb=$(echo "$work"/deb/zeb-geany_*_"$(dpkg --print-architecture)".deb)
  [ -f "$plugin_deb" ] || fail "cpack made no zeb-geany_VERSION_ARCH.deb"
  plugin_depends=$(dpkg-deb --info "$plugin_deb" | sed -n 's/^ Depends: //p')
  for dependency in geany "zeb-ide (= $version)"; do
    grep -qF "$dependency" <<<"$plugin_depends" ||
      fail "zeb-geany does not depend on $dependency: $plugin_depends"
  done
  plugin_contents=$(dpkg-deb --contents "$plugin_deb" | awk '$1 !~ /^d/ {print $6}')
  [ "$plugin_contents" = "./usr/$geany_dir/zeb-geany.so" ] ||
    fail "zeb-geany holds other files than its plugin: $plugin_contents"
  grep -qxF "./usr/$geany_dir/zeb-geany.so" <<<"$contents" &&
    fail "zeb-ide holds the Geany plugin too"
  dpkg-deb -x "$plugin_deb" "$work/root"
  check_plugin "$work/root/usr"
  echo "$(basename "$plugin_deb"): Depends: $plugin_depends"
fi
