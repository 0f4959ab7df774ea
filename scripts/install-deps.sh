#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, only when something is missing.
set -euo pipefail
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
# fp-utils (chmcmd) compiles the help files and nsis the installer; the font packages give
# dialogs and screenshots their Arabic, Hebrew, Thai, Greek, Cyrillic and CJK glyphs.
for pkg in cmake ninja-build g++ clang-14 libclang-rt-14-dev googletest libbenchmark-dev \
           g++-mingw-w64-x86-64-posix wine wine64 xvfb imagemagick python3 \
           fp-utils nsis fonts-dejavu-core fonts-wqy-microhei fonts-tlwg-waree-ttf fonts-freefont-ttf; do
  have "$pkg" || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need[@]}" >/dev/null
fi
