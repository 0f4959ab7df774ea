#!/usr/bin/env bash
# Runs installer_tests.exe in a new Wine prefix of its own that has the source-manager stand-in
# but not the product, and ends the prefix's server afterwards.
# Usage: installer-tests.sh BINDIR SETUP PREFIX GALLERY   (on an X display: the test shows the installer)
set -euo pipefail
bindir=$1
setup=$2
prefix=$3
gallery=$4
here=$(cd "$(dirname "$0")/../.." && pwd)
echo "== prefix $prefix"
# A new prefix each run: an earlier run that stopped half way may have left the product in it.
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
rm -rf "$prefix"
bash "$here/scripts/install-prefix.sh" "$prefix" "$bindir" --persistent-server --no-product
export WINEPREFIX=$prefix WINEDEBUG=-all
trap 'wineserver -k 2>/dev/null || true' EXIT
mkdir -p "$gallery"
echo "== installer_tests"
MVL_SETUP=$(winepath -w "$setup") MVL_GALLERY=$(winepath -w "$gallery") \
  wine "$bindir/installer_tests.exe" --gtest_color=no
