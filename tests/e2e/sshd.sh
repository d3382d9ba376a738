#!/bin/sh
# sshd.sh start|stop DIR: a real OpenSSH server on 127.0.0.1:2222 for the
# end-to-end tests, with its own configuration and host key in DIR and a
# local test user with a password.  start prints the host key's SHA256
# fingerprint.  Only the loopback address is ever used.
set -eu
cmd=$1 dir=$2
user=kestrumtest
port=2222
mkdir -p "$dir"
case $cmd in
start)
	if ! id "$user" >/dev/null 2>&1; then
		useradd -m -s /bin/sh "$user"
	fi
	echo "$user:Kestrum-e2e pw" | chpasswd
	[ -f "$dir/hostkey" ] || ssh-keygen -q -t ed25519 -N '' -f "$dir/hostkey"
	cat > "$dir/sshd_config" <<CONF
Port $port
ListenAddress 127.0.0.1
HostKey $dir/hostkey
PidFile $dir/sshd.pid
PasswordAuthentication yes
KbdInteractiveAuthentication no
UsePAM yes
PermitRootLogin no
AllowUsers $user
LogLevel VERBOSE
CONF
	mkdir -p /run/sshd
	[ -f "$dir/sshd.pid" ] && kill "$(cat "$dir/sshd.pid")" 2>/dev/null || true
	: > "$dir/sshd.log"
	/usr/sbin/sshd -f "$dir/sshd_config" -E "$dir/sshd.log"
	for i in $(seq 50); do
		[ -f "$dir/sshd.pid" ] && break
		sleep 0.1
	done
	ssh-keygen -lf "$dir/hostkey.pub" -E sha256 | awk '{print $2}'
	;;
stop)
	[ -f "$dir/sshd.pid" ] && kill "$(cat "$dir/sshd.pid")" 2>/dev/null || true
	pkill -u "$user" 2>/dev/null || true
	rm -f "$dir/sshd.pid"
	;;
esac
