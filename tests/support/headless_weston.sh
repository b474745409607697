#!/bin/bash
# Runs a command in a Wayland session of its own: weston's headless backend with the pixman
# renderer (so weston-screenshooter has pixels to copy; --debug enables it), one output of
# WIDTHxHEIGHT, and the command as its client with QT_QPA_PLATFORM=wayland.
#   headless_weston.sh [--size WxH] [--scale N] COMMAND...
# Without weston the test is skipped (exit 77), except in CI, where it fails.
set -u
size=1600x1000
scale=1
while [ $# -gt 0 ]; do
    case $1 in
    --size) size=$2; shift 2 ;;
    --scale) scale=$2; shift 2 ;;
    *) break ;;
    esac
done
if ! command -v weston >/dev/null || ! command -v weston-screenshooter >/dev/null; then
    echo "weston is not installed"
    [ -n "${CI:-}" ] && exit 1
    exit 77
fi
runtime=$(mktemp -d /tmp/orvale-weston-XXXXXX)
chmod 700 "$runtime"
socket=orvale-test
weston_log=$runtime/weston.log
# No animations: a screenshot must show the windows as the client drew them, not half faded in.
cat >"$runtime/weston.ini" <<INI
[shell]
animation=none
close-animation=none
startup-animation=none
focus-animation=none
INI
XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --use-pixman --debug \
    --config="$runtime/weston.ini" --idle-time=0 --socket=$socket --width=${size%x*} \
    --height=${size#*x} --scale=$scale >"$weston_log" 2>&1 &
weston_pid=$!
cleanup() {
    kill "$weston_pid" 2>/dev/null
    wait "$weston_pid" 2>/dev/null
    rm -rf "$runtime"
}
trap cleanup EXIT
for _ in $(seq 100); do
    [ -S "$runtime/$socket" ] && break
    if ! kill -0 "$weston_pid" 2>/dev/null; then
        echo "weston did not start:"
        cat "$weston_log"
        exit 1
    fi
    sleep 0.05
done
if [ ! -S "$runtime/$socket" ]; then
    echo "weston did not open its socket:"
    cat "$weston_log"
    exit 1
fi
# An absolute socket path: the command may move XDG_RUNTIME_DIR (the tests do).
export WAYLAND_DISPLAY=$runtime/$socket
export QT_QPA_PLATFORM=wayland
export XDG_RUNTIME_DIR=$runtime
"$@"
status=$?
[ $status -eq 0 ] || { echo "--- weston's log"; tail -40 "$weston_log"; }
exit $status
