#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine in the test prefix (WINEPREFIX),
# keeping the prefix's one wineserver alive between programs.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
export WINEDEBUG=${WINEDEBUG:--all}
exec wine "$@"
