#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine in its test lane (scripts/in-lane.sh): the lane's
# prefix and display, whose wineserver stays alive between programs. WINEPREFIX names the
# template prefix of the tree.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
export WINEDEBUG=${WINEDEBUG:--all}
exec bash "$(dirname "$0")/../scripts/in-lane.sh" wine "$@"
