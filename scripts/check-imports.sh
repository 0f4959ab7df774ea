#!/usr/bin/env bash
# Every DLL and program we ship must import Windows system DLLs only (no MinGW runtime DLLs),
# and the data source must export DS_Entry and nothing else.
set -euo pipefail
bindir=$1
allowed='^(KERNEL32|msvcrt|USER32|GDI32|ADVAPI32|SHELL32|ole32|OLEAUT32|COMCTL32|comdlg32|SHLWAPI|WINSPOOL\.DRV|WS2_32|windowscodecs|IPHLPAPI|VERSION|UxTheme|api-ms-win-[a-z0-9-]+)\.dll$'
rc=0
for f in "$bindir"/*.dll "$bindir"/*.ds "$bindir"/*.exe; do
  [ -f "$f" ] || continue
  while read -r dll; do
    if ! echo "$dll" | grep -qiE "$allowed"; then
      echo "check-imports: $(basename "$f") imports $dll"; rc=1
    fi
  done < <(x86_64-w64-mingw32-objdump -p "$f" | awk '/DLL Name:/ {print $3}')
done
exports=$(x86_64-w64-mingw32-objdump -p "$bindir/mvlTWAIN64.ds" | awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /\[ *[0-9]+\]/ {print $NF} on && /^$/ {on=0}')
if [ "$exports" != "DS_Entry" ]; then
  echo "check-imports: mvlTWAIN64.ds exports: $exports"; rc=1
fi
[ $rc = 0 ] && echo "check-imports: ok"
exit $rc
