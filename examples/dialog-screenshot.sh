#!/usr/bin/env bash
# Example: the source's scanning dialog, opened by twainscan --ui on a virtual X display, and a
# screenshot of that display saved as scan-dialog.png once the window has settled.
# Usage: examples/dialog-screenshot.sh [BINDIR] [OUTDIR]   (defaults: build/scan/bin after ./scan.sh, out/examples)
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
printf '[Device]\r\n' > "$prefix/drive_c/windows/twain_64/MV4200/mvlsim.ini"
rm -f "$out/scan-dialog.png"

# Inside the virtual display: the tool with the dialog in the background, a screenshot once two
# in a row agree and show more than the empty background, then the tool is ended.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -s "$bindir" "$out" <<'INNER'
bindir=$1; out=$2
wine "$bindir/twainscan.exe" -d "MV4200 Series TWAIN" --ui -o "$out/ui-scan.png" >/dev/null 2>&1 &
tool=$!
previous=""
for _ in $(seq 60); do
  sleep 1
  import -window root "$out/scan-dialog.png"
  sum=$(md5sum < "$out/scan-dialog.png")
  colours=$(identify -format '%k' "$out/scan-dialog.png")
  if [ "$colours" -gt 2 ] && [ "$sum" = "$previous" ]; then break; fi
  previous=$sum
done
kill "$tool" 2>/dev/null || true
wait "$tool" 2>/dev/null || true
INNER
[ -f "$out/scan-dialog.png" ] && echo "written: $out/scan-dialog.png"
