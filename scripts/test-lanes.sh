#!/usr/bin/env bash
# The lanes the Windows test programs run in, several programs at a time. A lane is what one
# program needs to itself: a Wine prefix (a copy of the template prefix that install-prefix.sh
# sets up), a virtual display and a wineserver kept running for the whole test run. Programs of
# different lanes share nothing (registry, kernel object names, temporary files, installed
# model folders, windows and focus), so they cannot disturb one another; the programs of one
# lane run one after the other, as all of them did in one prefix before.
#   test-lanes.sh start TEMPLATE BINDIR COUNT   template installed, lanes 0 .. COUNT-1 started
#   test-lanes.sh stop TEMPLATE                 every lane's server and display ended
#   test-lanes.sh copy TEMPLATE PREFIX          a new prefix from the template, as a lane's
# Lane N lives in TEMPLATE-lanes/N: prefix/, display (the display number), xvfb.pid.
# cmake/wine-run.sh puts each program into the lane CTest gave it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
action=$1
template=$2
lanes="$template-lanes"
export WINEDEBUG=-all

stop_lanes() {
  for lane in "$lanes"/*/; do
    [ -d "$lane" ] || continue
    [ -d "$lane/prefix" ] && WINEPREFIX="$lane/prefix" wineserver -k 2>/dev/null || true
    if [ -s "$lane/xvfb.pid" ]; then
      kill "$(cat "$lane/xvfb.pid")" 2>/dev/null || true
      rm -f "$lane/xvfb.pid"
    fi
  done
}

# A copy of the template that costs little: Wine's own libraries (most of the prefix, never
# written by a test) are hard links, everything else is copied.
copy_prefix() {
  local from=$1 to=$2
  mkdir -p "$to"
  (cd "$from" && tar --exclude=./drive_c/windows/system32 -cf - .) | (cd "$to" && tar -xf -)
  cp -al "$from/drive_c/windows/system32" "$to/drive_c/windows/system32"
}

start_lane() {
  local lane=$1
  mkdir -p "$lane"
  copy_prefix "$template" "$lane/prefix"
  # A display of its own; Xvfb picks a free number and tells it.
  rm -f "$lane/display"
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$lane/display" </dev/null >/dev/null 2>&1 &
  echo $! >"$lane/xvfb.pid"
  for _ in $(seq 100); do
    [ -s "$lane/display" ] && break
    sleep 0.1
  done
  [ -s "$lane/display" ] || { echo "lane $lane: no display" >&2; return 1; }
  # The lane's server, with Wine's services and desktop up on the lane's display.
  export WINEPREFIX="$lane/prefix" DISPLAY=":$(tr -d '[:space:]' <"$lane/display")"
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

case $action in
  start)
    bindir=$3
    count=$4
    stop_lanes
    rm -rf "$lanes"
    # The template's own server goes too: lanes are copied from a prefix at rest.
    bash "$here/scripts/install-prefix.sh" "$template" "$bindir"
    WINEPREFIX="$template" wineserver -k 2>/dev/null || true
    WINEPREFIX="$template" wineserver -w 2>/dev/null || true
    pids=()
    for ((n = 0; n < count; n++)); do
      start_lane "$lanes/$n" &
      pids+=($!)
    done
    for pid in "${pids[@]}"; do
      wait "$pid"
    done
    echo "lanes: $count in $lanes"
    ;;
  stop)
    stop_lanes
    ;;
  copy)
    copy_prefix "$template" "$3"
    ;;
  *)
    echo "usage: $0 start TEMPLATE BINDIR COUNT | stop TEMPLATE | copy TEMPLATE PREFIX" >&2
    exit 2
    ;;
esac
