#!/bin/sh
# Creates the project's own Wine prefix for this machine (see
# wine-env.sh) with the dialog fonts mapped to a font that has Hangul.
# Idempotent.
set -eu
. "$(dirname "$0")/wine-env.sh"
stamp="$WINEPREFIX/.kestrum-ready"
[ -f "$stamp" ] && exit 0
mkdir -p "$kestrum_top/build"
"$WINELOADER" wineboot -i </dev/null >/dev/null 2>&1
reg="$kestrum_top/build/wine-fonts.reg"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"Tahoma"="NanumGothic"\r\n"MS Shell Dlg"="NanumGothic"\r\n"MS Shell Dlg 2"="NanumGothic"\r\n"Gulim"="NanumGothic"\r\n"Malgun Gothic"="NanumGothic"\r\n' > "$reg"
"$WINELOADER" regedit "$reg" </dev/null >/dev/null 2>&1
"$WINESERVER" -w
touch "$stamp"
