#!/bin/sh
# check-includes.sh: fails when a file of the product includes a header
# of a floor above its own.  The floors, lowest first: core, config,
# sessions, ui (with resources beside ui).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
floor() {
	case $1 in
	core/*) echo 0 ;;
	config/*) echo 1 ;;
	sessions/*) echo 2 ;;
	ui/* | resources/*) echo 3 ;;
	*) echo -1 ;;
	esac
}
bad=0
for file in core/* config/* sessions/*; do
	case $file in *.cpp | *.h) ;; *) continue ;; esac
	own=$(floor "$file")
	dir=$(dirname "$file")
	for inc in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file"); do
		target=$(realpath -m --relative-to="$top" "$dir/$inc")
		if [ "$(floor "$target")" -gt "$own" ]; then
			echo "$file includes $inc: a floor above its own" >&2
			bad=1
		fi
	done
done
[ $bad -eq 0 ] && echo "includes: every floor looks only down"
exit $bad
