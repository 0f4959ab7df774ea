#!/usr/bin/env bash
# Runs every test of the project on a fresh Debian 12 machine (as root; installs what it lacks):
#   1. the native tree: portable code with AddressSanitizer and UBSan;
#   2. the Windows tree: the data source and its libraries cross-built with MinGW-w64,
#      tested under Wine in a prefix of the build tree;
#   3. the settings reader fuzzer for a bounded time.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cd "$here"
jobs=${JOBS:-$(nproc)}

bash scripts/install-deps.sh

echo "== native tree (ASan, UBSan)"
cmake -S . -B build/native -G Ninja -DMVL_SANITIZE=ON >/dev/null
ninja -C build/native -j"$jobs"
native_rc=0
ctest --test-dir build/native --output-on-failure -j"$jobs" || native_rc=$?

echo "== Windows tree (MinGW-w64, tests under Wine)"
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" >/dev/null
ninja -C build/win -j"$jobs"
bash scripts/check-imports.sh build/win/bin
win_rc=0
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build/win --output-on-failure || win_rc=$?
WINEPREFIX="$here/build/win/wineprefix" wineserver -k 2>/dev/null || true

fuzz_rc=0
if [ -x scripts/fuzz-settings.sh ]; then
  echo "== settings reader fuzzer"
  bash scripts/fuzz-settings.sh "${FUZZ_SECONDS:-60}" || fuzz_rc=$?
fi

echo "== summary: native $native_rc, windows $win_rc, fuzz $fuzz_rc (0 = passed)"
[ "$native_rc" = 0 ] && [ "$win_rc" = 0 ] && [ "$fuzz_rc" = 0 ]
