#!/bin/sh
# Creates the project's own 32-bit Wine prefix (build/wine) with the
# dialog fonts mapped to a font that has Hangul.  Idempotent.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="$top/build/wine" WINEARCH=win32 WINEDEBUG=-all
stamp="$WINEPREFIX/.kestrum-ready"
[ -f "$stamp" ] && exit 0
mkdir -p "$top/build"
wineboot -i </dev/null >/dev/null 2>&1
reg="$top/build/wine-fonts.reg"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"Tahoma"="NanumGothic"\r\n"MS Shell Dlg"="NanumGothic"\r\n"MS Shell Dlg 2"="NanumGothic"\r\n"Gulim"="NanumGothic"\r\n"Malgun Gothic"="NanumGothic"\r\n' > "$reg"
wine regedit "$reg" </dev/null >/dev/null 2>&1
wineserver -w
touch "$stamp"
