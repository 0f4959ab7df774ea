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

echo "== checking the packages this needs"
bash scripts/install-deps.sh
echo "== building the data source and its libraries (build/scan; a few minutes the first time)"
cmake -S . -B build/scan -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" -DMVL_TESTS=OFF >/dev/null
# One line per tenth of the build, so a long first build shows it is moving.
ninja -C build/scan -j"$(nproc)" | awk -F'[][/]' '/^\[[0-9]+\/[0-9]+\]/ {
  step = int($2 * 10 / $3); if (step > last) { last = step; printf "   %d of %d built\n", $2, $3; fflush() } }
  !/^\[[0-9]+\/[0-9]+\]/ { print }'

echo "== installing into build/scan/wineprefix and scanning 3 duplex sheets into out/"
bash examples/main-job.sh build/scan/bin build/scan/wineprefix out "$@"
