#!/usr/bin/env bash
# run_headless.sh <program> <screenshot>: inside an X server without a window manager, starts
# the program, waits for its main window, saves a screenshot of the screen and ends the program.
set -euo pipefail
program=$1
shot=$2
log=$(mktemp)
QT_LOGGING_RULES="orvale.startup.info=true" "$program" >"$log" 2>&1 &
pid=$!
for _ in $(seq 1 600); do
    grep -q "main window shown" "$log" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
cat "$log"
if ! grep -q "main window shown" "$log"; then
    echo "the main window did not appear" >&2
    kill "$pid" 2>/dev/null || true
    exit 1
fi
sleep 1  # let the window paint
# The whole screen: on a first start the synchronisation's message stands over the window.
import -window root "$shot"
echo "screenshot saved to $shot"
kill -TERM "$pid"
wait "$pid" || true
