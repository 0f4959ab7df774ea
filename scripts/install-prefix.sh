#!/usr/bin/env bash
# Installs the built data source into a Wine prefix the way a user installs it on Windows:
#   C:\Windows\mvlTWAIN.ini                       the product profile
#   C:\Windows\twain_64\<model>\mvlTWAIN64.ds     the data source, with beside it the device
#                                                 library, the effect library, the language
#                                                 libraries and the help files
#   C:\Windows\system32\TWAINDSM.dll              the source manager stand-in (when built)
# Usage: install-prefix.sh PREFIX BINDIR [--persistent-server] [--no-product]
#   --no-product: only the source-manager stand-in, for a test that installs the product itself
set -euo pipefail
prefix=$1
bindir=$2
persistent=no
product=yes
for option in "${@:3}"; do
  case $option in
    --persistent-server) persistent=yes ;;
    --no-product) product=no ;;
    *) echo "install-prefix.sh: unknown option $option" >&2; exit 1 ;;
  esac
done
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$prefix WINEDEBUG=-all
# No Mono or Gecko installers: their dialogs would wait for a user who is not there.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"

mkdir -p "$prefix"
# A clean start: no server left over from an earlier run.
wineserver -k 2>/dev/null || true
if [ "$persistent" = yes ]; then
  # One server for the whole run: every test program starts against it instead of a new one.
  wineserver -p </dev/null >/dev/null 2>&1
fi
if [ ! -f "$prefix/system.reg" ]; then
  wineboot -i </dev/null >/dev/null 2>&1
fi
# Bring up Wine's own services now, detached from our output: started later by a test program,
# they would inherit its output pipe and keep the test runner waiting for them.
wineboot </dev/null >/dev/null 2>&1 || true
# and let a first program run end to end, so the first test does not pay for what is left of the start.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
# A program that crashes prints its backtrace and ends: Wine's crash dialog would wait for a
# click nobody gives on a headless run.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1 || true
# No window manager runs on the virtual displays: Wine is told so, or it waits for one (about two
# seconds) every time a window it thinks managed is hidden, the progress dialog after each page.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true

# Fonts for the languages' dialogs, as Windows has them: the dialog font falls back to a CJK face
# for Chinese, Japanese and Korean (a font link, as Windows' own), and the faces the Arabic, Hebrew
# and Thai libraries name are mapped to Debian fonts with those scripts (scripts/install-deps.sh).
# Wine draws right-to-left and Thai text with the glyphs of the chosen face only, so these cannot
# be font links.
reg='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
wine reg add "$reg\FontSubstitutes" /v "Segoe UI" /d "DejaVu Sans" /f </dev/null >/dev/null 2>&1 || true
wine reg add "$reg\FontSubstitutes" /v Leelawadee /d Waree /f </dev/null >/dev/null 2>&1 || true
# The size read-out's Arial has Arabic and Hebrew letters on Windows; the one Wine finds has not.
wine reg add "$reg\FontSubstitutes" /v Arial /d "DejaVu Sans" /f </dev/null >/dev/null 2>&1 || true
for font in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
  wine reg add "$reg\FontLink\SystemLink" /v "$font" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f \
    </dev/null >/dev/null 2>&1 || true
done

# Window captions: Wine draws them with one face and no fallback, its Tahoma, which has no Arabic,
# Hebrew or Thai letters, so those captions were boxes. FreeSerif has Latin, Greek, Cyrillic,
# Arabic, Hebrew and Thai; Chinese, Japanese and Korean come through its font link.
caption=f4ffffff00000000000000000000000090010000000000010000000046007200650065005300650072006900660000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
wine reg add 'HKCU\Control Panel\Desktop\WindowMetrics' /v CaptionFont /t REG_BINARY /d "$caption" /f \
  </dev/null >/dev/null 2>&1 || true
wine reg add "$reg\FontLink\SystemLink" /v FreeSerif /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f \
  </dev/null >/dev/null 2>&1 || true

# The screen at 96 dpi: a test that looks at the dialogs at another resolution sets it only for
# the process it starts, and an interrupted run must not leave it for the next.
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f </dev/null >/dev/null 2>&1 || true

windir="$prefix/drive_c/windows"
# Wine draws the windows' caption buttons with its Marlett font, which Debian's package keeps
# where this Wine does not look: the prefix's font folder has it.
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  mkdir -p "$windir/Fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$windir/Fonts/"
fi
# The prefix comes with data sources of Wine's own; ours must be the only ones found.
rm -f "$windir"/twain_64/*.ds "$windir"/twain_32/*.ds 2>/dev/null || true
mkdir -p "$windir/twain_64"
# Model folders the tests make for their private copies ("Mt..."): one left by an interrupted
# run could meet a later test's name when Wine reuses process ids.
rm -rf "$windir"/twain_64/Mt* 2>/dev/null || true

# Every model of the profile ("Product Name(<model>)=" lines).
models=$(sed -n 's/^Product Name(\([^)]*\))=.*/\1/p' "$here/install/mvlTWAIN.ini" | tr -d '\r')
for model in $models; do
  [ "$product" = yes ] || break
  cp "$here/install/mvlTWAIN.ini" "$windir/mvlTWAIN.ini"
  dest="$windir/twain_64/$model"
  mkdir -p "$dest"
  cp "$bindir/mvlTWAIN64.ds" "$dest/"
  for lib in mvllld.dll mvlImgEffect.dll; do
    [ -f "$bindir/$lib" ] && cp "$bindir/$lib" "$dest/"
  done
  for lib in "$bindir"/mvltwrc*.dll "$bindir"/mvltw*.chm; do
    [ -f "$lib" ] && cp "$lib" "$dest/"
  done
done
if [ -f "$bindir/TWAINDSM.dll" ]; then
  cp "$bindir/TWAINDSM.dll" "$windir/system32/TWAINDSM.dll"
fi
echo "installed into $prefix"
