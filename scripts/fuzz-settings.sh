#!/usr/bin/env bash
# Builds the settings file reader fuzzer (clang, ASan and UBSan) in its own tree and runs it for
# a bounded time. Exits non-zero on any crash, sanitizer report or build failure.
# Usage: scripts/fuzz-settings.sh [seconds]    (default 60)
set -uo pipefail
secs=${1:-60}
case $secs in ''|*[!0-9]*) echo "fuzz-settings: seconds must be a whole number" >&2; exit 2 ;; esac
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MVL_FUZZ_SETTINGS_BUILD:-$root/build/fuzz-settings}

CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -G Ninja \
    -DMVL_FUZZ=ON -DMVL_SANITIZE=OFF -DMVL_TESTS=OFF >"$build.configure.log" 2>&1 \
    || { cat "$build.configure.log" >&2; echo "fuzz-settings: configure failed" >&2; exit 1; }
ninja -C "$build" -j2 settings_reader_fuzz >/dev/null || { echo "fuzz-settings: build failed" >&2; exit 1; }

# New inputs go to a scratch corpus; the committed seeds are only read.
work=$build/settings-corpus
artifacts=$build/settings-artifacts
mkdir -p "$work" "$artifacts"
log=$build/settings-fuzz.log
"$build/fuzz/settings/settings_reader_fuzz" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "$root/fuzz/settings/corpus" >"$log" 2>&1
rc=$?

execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
echo "fuzz-settings: ${execs:-?} executions in ${secs} s (log: $log)"
if [ $rc -ne 0 ] || grep -q -E 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log"; then
    grep -E -A20 'ERROR:|runtime error:' "$log" | head -60 >&2
    echo "fuzz-settings: FAILED (exit $rc); crashing inputs in $artifacts" >&2
    exit 1
fi
echo "fuzz-settings: no crash"
