#!/bin/sh
# run.sh TESTS_EXE: the end-to-end suite.  Builds (once) the real
# putty.exe, starts a real sshd on 127.0.0.1:2222 with a test user, runs
# the EndToEnd tests of TESTS_EXE under Wine, and stops the server and
# every process of the test user again.  KESTRUM_E2E_FILTER narrows the
# run to some of the tests (a gtest filter).
set -eu
tests=$1
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
kestrum_top=$top
. "$top/tools/wine-env.sh"
putty=$("$top/tools/build-putty.sh")
state="$top/build/e2e"
fingerprint=$("$here/sshd.sh" start "$state")
# A dropped connection on request: the tests cannot end Linux processes.
rm -f "$state/drop"
(
	while [ -f "$state/sshd.pid" ]; do
		if [ -f "$state/drop" ]; then
			pkill -KILL -u kestrumtest 2>/dev/null || true
			rm -f "$state/drop"
		fi
		sleep 0.2
	done
) &
watcher=$!
# The server, its user's processes and any PuTTY of ours left running.
cleanup() {
	kill "$watcher" 2>/dev/null || true
	"$here/sshd.sh" stop "$state"
	for pid in $(pgrep -f 'putty-[a-z0-9_]*.bin.putty\.exe'); do
		kill "$pid" 2>/dev/null || true
	done
}
trap cleanup EXIT INT TERM
home=$(getent passwd kestrumtest | cut -d: -f6)
win() { echo "Z:$1" | tr / '\\'; }
export KESTRUM_E2E_PUTTY="$(win "$putty")" KESTRUM_E2E_HOSTKEY="$fingerprint"
export KESTRUM_E2E_LOG="$(win "$state/sshd.log")" KESTRUM_E2E_HOME="$(win "$home")"
export KESTRUM_E2E_DROP="$(win "$state/drop")"
# Pictures of the scenarios are kept as test artefacts.
mkdir -p "$state/shots"
export KESTRUM_SHOTS="${KESTRUM_SHOTS:-$(win "$state/shots")}"
"$WINELOADER" "$tests" --gtest_filter="${KESTRUM_E2E_FILTER:-EndToEnd.*}"
# Once more with Wine reporting Windows XP, the oldest system Kestrum runs on.
xp=winxp
[ "$WINEARCH" = win64 ] && xp=winxp64
"$WINELOADER" winecfg /v "$xp" </dev/null >/dev/null 2>&1
status=0
KESTRUM_SHOTS= "$WINELOADER" "$tests" --gtest_filter="${KESTRUM_E2E_FILTER:-EndToEnd.*}" || status=$?
"$WINELOADER" winecfg /v win10 </dev/null >/dev/null 2>&1
exit $status
