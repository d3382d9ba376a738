# Sourced by the scripts that run Windows programs.  Chooses the Wine that
# this machine can run and the Windows build that goes with it:
#   win32: 32-bit Wine, the i686 build (build/win) - as on Windows;
#   win64: 64-bit Wine, an x86_64 build (build/win64) - for hosts whose
#          kernel runs no 32-bit code, where 32-bit Wine cannot start.
# The product is always the i686 build; the x86_64 one exists only to run
# the same sources and tests there.
# Sets WINEARCH, WINEPREFIX, WINEDEBUG, WINELOADER, WINESERVER and
# KESTRUM_WIN_BUILD, KESTRUM_WIN_TOOLCHAIN.
# The project folder: set by callers outside tools/, else beside this script.
kestrum_top=${kestrum_top:-$(cd "$(dirname "$0")/.." && pwd)}
if [ -z "${WINEARCH:-}" ]; then
	if /usr/lib/wine/wine --version >/dev/null 2>&1; then
		WINEARCH=win32
	else
		WINEARCH=win64
	fi
fi
if [ "$WINEARCH" = win32 ]; then
	WINEPREFIX="$kestrum_top/build/wine"
	WINELOADER=/usr/lib/wine/wine
	WINESERVER=/usr/lib/wine/wineserver32
	KESTRUM_WIN_BUILD="$kestrum_top/build/win"
	KESTRUM_WIN_TOOLCHAIN="$kestrum_top/cmake/mingw-i686.cmake"
else
	WINEPREFIX="$kestrum_top/build/wine64"
	WINELOADER=/usr/lib/wine/wine64
	WINESERVER=/usr/lib/wine/wineserver64
	KESTRUM_WIN_BUILD="$kestrum_top/build/win64"
	KESTRUM_WIN_TOOLCHAIN="$kestrum_top/cmake/mingw-x86_64.cmake"
fi
WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH WINEPREFIX WINEDEBUG WINELOADER WINESERVER

# wine_session_start DISPLAY-NUMBER SCREEN: without a display, starts Xvfb
# on :DISPLAY-NUMBER (one left behind by a killed run goes first); then a
# warm wineserver, away from the caller's pipes so that Wine's service
# processes cannot keep them open.  Wine's desktop process serves every
# later window of the prefix and keeps the display it was started with,
# so the display comes first.  wine_session_stop ends both.
wine_session_start() {
	kestrum_xvfb=
	if [ -z "${DISPLAY:-}" ]; then
		export DISPLAY=":$1"
		pkill -f "Xvfb :$1 " 2>/dev/null || true
		rm -f "/tmp/.X$1-lock" "/tmp/.X11-unix/X$1"
		Xvfb ":$1" -screen 0 "$2" -nolisten tcp </dev/null >/dev/null 2>&1 &
		kestrum_xvfb=$!
		for i in $(seq 50); do
			[ -S "/tmp/.X11-unix/X$1" ] && break
			sleep 0.1
		done
	fi
	"$WINESERVER" -k 2>/dev/null || true
	"$WINESERVER" -p
	"$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wine_session_stop() {
	"$WINESERVER" -k 2>/dev/null || true
	if [ -n "${kestrum_xvfb:-}" ]; then
		kill "$kestrum_xvfb" 2>/dev/null || true
	fi
}
