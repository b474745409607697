#!/usr/bin/env bash
# Starts and stops a colord daemon of its own for the colord tests, on a private system bus, so
# that the machine's bus and colord are never touched:
#   private_colord.sh start DIR   bus socket DIR/system_bus_socket; pids and logs in DIR
#   private_colord.sh stop DIR
# colord keeps its databases in /var/lib/colord whatever it is told, so it runs in a mount
# namespace of its own with an empty tmpfs there. Its dummy sensor stands in for an instrument. Needs root (as CI runs), dbus-daemon, colord
# and unshare. Outside CI, a machine that cannot run it makes the start succeed without a
# daemon and the colord tests skip; in CI (CI set) the start fails.
set -euo pipefail

command=${1:-}
dir=${2:-}
[ -n "$command" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }

colord_binary=/usr/libexec/colord
ready_seconds=20

# Whether the process still runs (an ended one may wait a while for its new parent to reap it).
running() {
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null || true)
    [ -n "$state" ] && [ "$state" != Z ]
}

stop() {
    local name pid
    for name in colord dbus; do
        [ -f "$dir/$name.pid" ] || continue
        pid=$(cat "$dir/$name.pid")
        rm -f "$dir/$name.pid"
        # Only the processes this script started, by their ids; a stopped colord is woken so
        # that it can end.
        if [ -n "$pid" ] && running "$pid"; then
            kill -CONT "$pid" 2>/dev/null || true
            kill "$pid" 2>/dev/null || true
            for _ in $(seq 20); do running "$pid" || break; sleep 0.1; done
            if running "$pid"; then kill -KILL "$pid" 2>/dev/null || true; fi
        fi
    done
}

cannot() {
    echo "private colord: $*" >&2
    stop
    if [ -n "${CI:-}" ]; then
        echo "private colord: cannot be started in CI; the colord tests fail" >&2
        exit 1
    fi
    echo "cannot start: $*" > "$dir/unavailable"
    echo "private colord: the colord tests will skip" >&2
    exit 0
}

case "$command" in
    stop) stop; exit 0 ;;
    start) ;;
    *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac

mkdir -p "$dir"
stop
rm -f "$dir/unavailable" "$dir/system_bus_socket" "$dir/colord.log" "$dir/dbus.log"

[ "$(id -u)" -eq 0 ] || cannot "needs root (colord owns its name on a system bus only as root or colord)"
command -v dbus-daemon >/dev/null || cannot "dbus-daemon is not installed (package dbus)"
[ -x "$colord_binary" ] || cannot "$colord_binary is not installed (package colord)"
command -v colormgr >/dev/null || cannot "colormgr is not installed (package colord)"
command -v unshare >/dev/null || cannot "unshare is not installed (package util-linux)"

# A system bus of our own: anyone may own and call anything, as root is the only user here.
cat > "$dir/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$dir/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
    <allow user="*"/>
  </policy>
</busconfig>
CONF
dbus-daemon --config-file="$dir/bus.conf" --fork --print-pid=3 3>"$dir/dbus.pid" \
    >"$dir/dbus.log" 2>&1 || cannot "dbus-daemon does not start: $(cat "$dir/dbus.log")"
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$dir/system_bus_socket"

unshare --mount --propagation private true 2>/dev/null ||
    cannot "no mount namespace for colord's databases (unshare --mount refused)"
mkdir -p /var/lib/colord
unshare --mount --propagation private sh -c \
    'mount -t tmpfs -o mode=0755 orvale-colord /var/lib/colord && mkdir /var/lib/colord/icc &&
     exec "$0" --verbose --create-dummy-sensor' "$colord_binary" >"$dir/colord.log" 2>&1 &
echo $! > "$dir/colord.pid"

for _ in $(seq $((ready_seconds * 10))); do
    # colormgr says "(null)" for the daemon's version until colord owns its name.
    version=$(colormgr --version 2>/dev/null | sed -n 's/^Daemon version:[[:space:]]*\([0-9].*\)/\1/p' || true)
    # The dummy sensor is registered on colord's own schedule, after its name may be owned.
    if [ -n "$version" ] && colormgr get-sensors 2>/dev/null | grep -q '^Object Path:'; then
        echo "private colord: colord $version on $DBUS_SYSTEM_BUS_ADDRESS, with its dummy sensor"
        exit 0
    fi
    running "$(cat "$dir/colord.pid")" ||
        cannot "colord ended: $(tail -n 5 "$dir/colord.log")"
    sleep 0.1
done
cannot "colord did not answer within $ready_seconds s: $(tail -n 5 "$dir/colord.log")"
