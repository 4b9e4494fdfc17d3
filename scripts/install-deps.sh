#!/usr/bin/env bash
# Installs what building, running and testing the project needs on Debian 12.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build python3 time
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev libre2-dev
  help2man desktop-file-utils file
  clang-format clang libclang-rt-14-dev libc++-dev libc++abi-dev
  qt6-base-dev libgl-dev libqscintilla2-qt6-dev fonts-nanum fonts-noto-cjk
  fp-compiler
  g++-mingw-w64-x86-64-posix wine wine64
  geany geany-common libgtk-3-dev xvfb openbox xdotool x11-utils xclip imagemagick
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends \
  -o DPkg::Lock::Timeout=300 "${missing[@]}"
