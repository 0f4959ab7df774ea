#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine in its lane (scripts/test-lanes.sh): the lane
# CTest gave the test ("id:N,slots:1" in CTEST_RESOURCE_GROUP_0_LANES), or lane 0 when CTest
# gave none (a run without the lanes' resource file). WINEPREFIX names the template prefix; the
# lane's prefix and display stand in for it and its own wineserver stays alive between programs.
# Without lanes (never started) the program runs in the template prefix itself.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
lane=${CTEST_RESOURCE_GROUP_0_LANES:-id:0}
lane=${lane#id:}
lane=${lane%%,*}
dir="$WINEPREFIX-lanes/$lane"
if [ -d "$dir/prefix" ]; then
  export WINEPREFIX="$dir/prefix"
  [ -s "$dir/display" ] && export DISPLAY=":$(tr -d '[:space:]' <"$dir/display")"
fi
export WINEDEBUG=${WINEDEBUG:--all}
exec wine "$@"
