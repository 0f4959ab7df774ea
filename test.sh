#!/usr/bin/env bash
# Runs every test of the project on a fresh Debian 12 machine (as root; installs what it lacks):
#   1. the native tree: portable code with AddressSanitizer and UBSan;
#   2. the Windows tree: the data source and its libraries cross-built with MinGW-w64,
#      tested under Wine, several test programs at a time, each in a lane of its own (a prefix,
#      a virtual display and a wineserver; scripts/test-lanes.sh);
#   3. the settings reader fuzzer for a bounded time.
# Ends with how long each step and each test program took.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cd "$here"
jobs=${JOBS:-$(nproc)}
# Wine test programs spend much of their time waiting for windows and devices, so one more runs
# than there are processors.
lanes=${MVL_TEST_LANES:-$((jobs + 1))}
logs=build/test-logs
mkdir -p "$logs"
: >"$logs/steps"

# Runs a step, noting how long it took.
step() {
  local name=$1 t0=$SECONDS rc=0
  shift
  "$@" || rc=$?
  printf '%-28s %5d s\n' "$name" $((SECONDS - t0)) >>"$logs/steps"
  return $rc
}

# Each test program with its time, the longest first, from CTest's log.
program_times() {
  sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) [ .*]*([A-Za-z* ]+) +([0-9.]+) sec$/\3 \1 \2/p' "$1" |
    sort -rn | awk '{ printf "  %-32s %8.1f s  %s\n", $2, $1, $3 }'
}

step "dependencies" bash scripts/install-deps.sh

echo "== native tree (ASan, UBSan)"
cmake -S . -B build/native -G Ninja -DMVL_SANITIZE=ON >/dev/null
step "native build" ninja -C build/native -j"$jobs"
native_rc=0
step "native tests" ctest --test-dir build/native --output-on-failure -j"$jobs" 2>&1 | tee "$logs/native.log" ||
  native_rc=$?

echo "== Windows tree (MinGW-w64, tests under Wine, $lanes at a time)"
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
  -DMVL_TEST_LANES="$lanes" >/dev/null
step "Windows build" ninja -C build/win -j"$jobs"
bash scripts/check-imports.sh build/win/bin
win_rc=0
step "Windows tests" xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build/win --output-on-failure \
  -j"$lanes" --resource-spec-file "$here/build/win/test-lanes.json" 2>&1 | tee "$logs/windows.log" || win_rc=$?
bash scripts/test-lanes.sh stop "$here/build/win/wineprefix" 2>/dev/null || true

fuzz_rc=0
if [ -x scripts/fuzz-settings.sh ]; then
  echo "== settings reader fuzzer"
  step "fuzzer" bash scripts/fuzz-settings.sh "${FUZZ_SECONDS:-60}" || fuzz_rc=$?
fi

echo "== times"
cat "$logs/steps"
echo "native test programs:"
program_times "$logs/native.log"
echo "Windows test programs:"
program_times "$logs/windows.log"
echo "== summary: native $native_rc, windows $win_rc, fuzz $fuzz_rc (0 = passed)"
[ "$native_rc" = 0 ] && [ "$win_rc" = 0 ] && [ "$fuzz_rc" = 0 ]
