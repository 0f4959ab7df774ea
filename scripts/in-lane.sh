#!/usr/bin/env bash
# Runs a command in the test lane CTest gave it (scripts/test-lanes.sh): the lane's display, and
# the lane's prefix in place of the template prefix that WINEPREFIX names. The lane comes from
# CTEST_RESOURCE_GROUP_0_LANES ("id:N,slots:1"); without it (a run without the lanes' resource
# file) lane 0; without lanes (never started) nothing changes.
# Usage: in-lane.sh [--display-only] COMMAND [ARGS...]
#   --display-only: the lane's display only, for a command with a prefix of its own
set -eu
keep_prefix=no
if [ "${1:-}" = --display-only ]; then
  keep_prefix=yes
  shift
fi
lane=${CTEST_RESOURCE_GROUP_0_LANES:-id:0}
lane=${lane#id:}
lane=${lane%%,*}
dir="${WINEPREFIX:-}-lanes/$lane"
if [ -n "${WINEPREFIX:-}" ] && [ -d "$dir/prefix" ]; then
  [ "$keep_prefix" = yes ] || export WINEPREFIX="$dir/prefix"
  [ -s "$dir/display" ] && export DISPLAY=":$(tr -d '[:space:]' <"$dir/display")"
fi
exec "$@"
