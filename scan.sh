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

bash examples/main-job.sh build/scan/bin build/scan/wineprefix out "$@"
