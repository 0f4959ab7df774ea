#!/usr/bin/env bash
# The help viewer (hh.exe) on the help file of a language of each script that Wine's viewer can
# draw (it lists contents in Wine's own Tahoma, without Arabic, Hebrew or Thai glyphs): a
# screenshot of its window for the gallery once two in a row agree, as help-<code>.png.
# Usage: help-screenshots.sh BINDIR GALLERY   (WINEPREFIX and DISPLAY come from the test run)
set -euo pipefail
bindir=$1
gallery=$2
mkdir -p "$gallery"
for code in enus fr ru el zhcn; do
  chm="$bindir/mvltw$code.chm"
  [ -f "$chm" ] || { echo "no help file $chm"; exit 1; }
  wine 'C:\windows\hh.exe' "$(winepath -w "$chm")" >/dev/null 2>&1 &
  viewer=$!
  raw="$gallery/help-$code.raw.png"
  previous=""
  for _ in $(seq 30); do
    sleep 1
    import -window root "$raw"
    sum=$(md5sum < "$raw")
    if [ "$(identify -format '%k' "$raw")" -gt 8 ] && [ "$sum" = "$previous" ]; then break; fi
    previous=$sum
  done
  kill "$viewer" 2>/dev/null || true
  wait "$viewer" 2>/dev/null || true
  colours=$(identify -format '%k' "$raw")
  # Without a window manager the viewer sits on a black desktop: keep the window only.
  convert "$raw" -trim +repage "$gallery/help-$code.png"
  rm -f "$raw"
  [ "$colours" -gt 8 ] || { echo "help-$code: the viewer showed nothing"; exit 1; }
  echo "help-$code.png"
done
