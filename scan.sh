#!/usr/bin/env bash
# The main job: scan with the simulated scanner and write the pages to ./out/.
# On a fresh Debian 12 machine (as root) it installs what it lacks, cross-builds the data source
# and everything around it, installs them into a Wine prefix of its own (build/scan/wineprefix)
# as a user would on Windows, and runs the command-line acquisition tool:
# a 3-sheet duplex feeder batch at 300 dpi colour, written as PNG files.
# Extra arguments go to the tool (for example: ./scan.sh --xfer memory).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cd "$here"

bash scripts/install-deps.sh
cmake -S . -B build/scan -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" -DMVL_TESTS=OFF >/dev/null
ninja -C build/scan -j"$(nproc)" >/dev/null

prefix="$here/build/scan/wineprefix"
bash scripts/install-prefix.sh "$prefix" build/scan/bin --persistent-server >/dev/null
export WINEPREFIX=$prefix WINEDEBUG=-all
trap 'wineserver -k 2>/dev/null || true' EXIT

# Three sheets in the simulated feeder.
printf '[Device]\r\nFeederSheets=3\r\nPaperInFeeder=1\r\n' > "$prefix/drive_c/windows/twain_64/MV4200/mvlsim.ini"

mkdir -p out
rm -f out/page*.png
# The source's scanning dialog exists, hidden, even without its user interface: it needs a display.
xvfb-run -a -s "-screen 0 1280x1024x24" wine build/scan/bin/twainscan.exe -d "MV4200 Series TWAIN" --source "ADF Duplex" --mode Color \
  --resolution 300 --format png --batch="out\\page%d.png" "$@"
