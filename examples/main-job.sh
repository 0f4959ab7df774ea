#!/usr/bin/env bash
# The main job's run with binaries already built: installs them into a Wine prefix as a user
# would on Windows, puts three sheets into the simulated feeder and scans them on both sides at
# 300 dpi colour into OUTDIR/page1.png onwards. ./scan.sh builds, then runs this; the tool tests
# run it on their own tree to check the pages.
# Usage: examples/main-job.sh BINDIR PREFIX OUTDIR [twainscan options...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 3 ] || { echo "usage: $0 BINDIR PREFIX OUTDIR [twainscan options...]" >&2; exit 1; }
bindir=$(cd "$1" && pwd)
mkdir -p "$2" "$3"
prefix=$(cd "$2" && pwd)
out=$(cd "$3" && pwd)
shift 3

bash "$here/scripts/install-prefix.sh" "$prefix" "$bindir" --persistent-server >/dev/null
export WINEPREFIX=$prefix WINEDEBUG=-all
trap 'wineserver -k 2>/dev/null || true' EXIT
# Wine's desktop started while installing had no display; the scan's must live on the virtual one.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

# Three sheets in the simulated feeder.
printf '[Device]\r\nFeederSheets=3\r\nPaperInFeeder=1\r\n' > "$prefix/drive_c/windows/twain_64/MV4200/mvlsim.ini"

rm -f "$out"/page*.png
cd "$out"
# The source's scanning dialog exists, hidden, even without its user interface: it needs a display.
# Wine's own processes end before the display does, or they report its loss on the way out.
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c 'wine "$@"; rc=$?; wineserver -k; exit $rc' wine \
  "$bindir/twainscan.exe" -d "MV4200 Series TWAIN" --source "ADF Duplex" \
  --mode Color --resolution 300 --format png --batch="page%d.png" "$@"
