#!/usr/bin/env bash
# The page-path benchmark in one command: builds the Windows tree BUILD_DIR (configuring it when
# needed) and the benchmark beside it, installs the data source with the simulated scanner into
# a prefix of its own, runs the benchmark under a virtual display and ends with one line per
# mechanism and resolution: "<mechanism> <dpi> dpi: source share <ratio>x <reference>".
# Usage: bash bench/xfer/run.sh BUILD_DIR [--rounds N] [--dpi 300,600] [--device-only]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [benchmark options]" >&2; exit 2; }
mkdir -p "$1"
build=$(cd "$1" && pwd)
shift
toolchain="$here/cmake/mingw-w64-x86_64.cmake"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

echo "== building the data source, the simulated scanner and the libraries in $build"
[ -f "$build/build.ninja" ] || cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${launcher[@]}" >/dev/null
ninja -C "$build" -j"${JOBS:-2}" mvlTWAIN64 mvllld mvlImgEffect mvltwrcenus

echo "== building the benchmark in $build/bench-xfer"
[ -f "$build/bench-xfer/build.ninja" ] ||
  cmake -S "$here/bench/xfer" -B "$build/bench-xfer" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${launcher[@]}" >/dev/null
ninja -C "$build/bench-xfer" -j"${JOBS:-2}"

prefix="$build/bench-xfer/wineprefix"
echo "== installing into $prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all
bash "$here/scripts/install-prefix.sh" "$prefix" "$build/bin"
trap 'wineserver -k 2>/dev/null || true' EXIT
# No window manager runs on the virtual display, and Wine waits for one (about two seconds)
# whenever a managed window closes, the progress dialog after every page among them.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# The server started without a display ends here; the benchmark's own starts with one.
wineserver -k 2>/dev/null || true

echo "== running (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
xvfb-run -a -s "-screen 0 1280x1024x24" wine "$build/bench-xfer/xfer_path_bench.exe" "$@"
echo "== done (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
