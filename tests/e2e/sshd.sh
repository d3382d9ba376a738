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
	home=$(getent passwd "$user" | cut -d: -f6)
	# While ask-token exists the login shell asks a question after 1-5 s,
	# as a slow server does; what was typed before the question is lost,
	# as at a real prompt, and the answer is not echoed.  Whether the
	# answer was the password goes to token-answers, never the answer.
	cat > "$home/.profile" <<'PROFILE'
if [ -f "$HOME/ask-token" ]; then
	stty -echo
	sleep $(( $(od -An -N1 -tu1 /dev/urandom) % 5 + 1 ))
	stty -icanon min 0 time 0
	while read -r typed; do :; done
	stty icanon
	printf 'Token: '
	read -r answer
	stty echo
	echo
	if [ "$answer" = "Kestrum-e2e pw" ]; then echo right; else echo other; fi >> "$HOME/token-answers"
fi
PROFILE
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
MaxStartups 100
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
