#!/usr/bin/env bash
# Example: a sheet laid askew on the flatbed, scanned twice without the source's dialog.
#   skewed-platen.png  A4 paper size: the platen as it is, the sheet turned on its dark background;
#   autocrop.png       US Legal, which this A4 model maps to its full-platen paper entry: with
#                      HasAutoCrop in the product profile the source straightens the page and
#                      crops it to the sheet.
# The simulated scanner's sheet is an A5 test chart turned by 8 degrees (mvlsim.ini, [Device]).
# Usage: examples/autocrop-skewed.sh [BINDIR] [OUTDIR]   (defaults: build/scan/bin after ./scan.sh, out/examples)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bindir=$(cd "${1:-$here/build/scan/bin}" && pwd)
mkdir -p "${2:-$here/out/examples}" "$here/build/examples"
out=$(cd "${2:-$here/out/examples}" && pwd)
prefix=$here/build/examples/wineprefix

bash "$here/scripts/install-prefix.sh" "$prefix" "$bindir" --persistent-server >/dev/null
export WINEPREFIX=$prefix WINEDEBUG=-all
trap 'wineserver -k 2>/dev/null || true' EXIT
# Wine's desktop started while installing had no display; the tool's must live on the virtual one.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

# An A5 sheet turned clockwise by 8 degrees, its top-left corner 40 mm from the platen's left
# edge and 20 mm from its top.
printf '[Device]\r\nSkewDegrees=8\r\nOffsetXmm=40\r\nOffsetYmm=20\r\nPageWidthMm=148\r\nPageHeightMm=210\r\n' \
  > "$prefix/drive_c/windows/twain_64/MV4200/mvlsim.ini"

cd "$out"
rm -f skewed-platen.png autocrop.png
scan() {
  xvfb-run -a -s "-screen 0 1280x1024x24" wine "$bindir/twainscan.exe" -d "MV4200 Series TWAIN" \
    --source Flatbed --mode Color --resolution 75 "$@"
}
scan --size A4 -o skewed-platen.png
scan --size Legal -o autocrop.png
echo "written: $out/skewed-platen.png $out/autocrop.png"
