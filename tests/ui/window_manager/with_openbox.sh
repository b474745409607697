#!/bin/sh
# Runs a test program on a private X server whose windows openbox manages and decorates, as on
# a desktop: window placement and stacking depend on it.
set -u
program="$1"
shift
work=$(mktemp -d)
cleanup() {
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
tries=0
until [ -s "$work/display" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 200 ]; then
        echo "Xvfb did not start" >&2
        cat "$work/xvfb.log" >&2
        exit 1
    fi
    sleep 0.05
done
DISPLAY=":$(cat "$work/display")"
export DISPLAY

# The machine's openbox settings, none of the user's. On a loaded machine openbox may come
# before the server takes connections and give up at once, so it is started again.
start_openbox() {
    XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" openbox --sm-disable \
        >>"$work/openbox.log" 2>&1 &
    wm=$!
}
start_openbox
tries=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    tries=$((tries + 1))
    if [ "$tries" -gt 400 ]; then
        echo "openbox did not start" >&2
        cat "$work/openbox.log" "$work/xvfb.log" >&2
        exit 1
    fi
    kill -0 "$wm" 2>/dev/null || start_openbox
    sleep 0.05
done

QT_QPA_PLATFORM=xcb "$program" "$@"
