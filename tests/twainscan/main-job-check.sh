#!/usr/bin/env bash
# The README's main job on this tree's binaries: it must end with status 0 and six PNG pages,
# each decoded by ImageMagick and equal, pixel for pixel, to the simulated scanner's own
# rendering of that sheet side (PNG is lossless, and so is the whole path from the device).
# Usage: main-job-check.sh BINDIR WORKDIR [TEMPLATE]
# With TEMPLATE (the tests' installed prefix) the job's new prefix starts as a copy of it instead
# of being made by Wine from nothing; the job installs the source into it all the same.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
bindir=$(cd "$1" && pwd)
rm -rf "$2"
mkdir -p "$2"
work=$(cd "$2" && pwd)
# Where the simulator logs the scan parameters it receives, as the Windows side names it.
export MVLSIM_LOG="Z:${work//\//\\}\\mvlsim.log"

if [ -f "${3:-}/system.reg" ]; then
  bash "$here/scripts/test-lanes.sh" copy "$3" "$work/wineprefix"
fi
rc=0
bash "$here/examples/main-job.sh" "$bindir" "$work/wineprefix" "$work/out" || rc=$?
if [ "$rc" != 0 ]; then
  echo "FAIL: the main job ended with status $rc"
  exit 1
fi

export WINEPREFIX=$work/wineprefix WINEDEBUG=-all
unset MVLSIM_LOG
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
python3 "$here/tests/twainscan/compare_pages.py" "$bindir/mvlsimpage.exe" "$work/mvlsim.log" "$work/out" 6
