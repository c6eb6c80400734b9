#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# with-openbox.sh PROGRAM [ARGS...]: runs PROGRAM on the X11 platform of a
# private Xvfb server under the Openbox window manager, both started here and
# stopped afterwards, whatever platform the caller's environment names.
# Exits 77 (skip) when Xvfb, Openbox or xprop is missing.
set -uo pipefail
for tool in Xvfb openbox xprop; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
server=0 manager=0
cleanup() {
    ((manager)) && kill "$manager" 2>/dev/null
    ((server)) && kill "$server" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number to the descriptor.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
server=$!
exec 3>&-
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
[[ -s $work/display ]] || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
manager=$!
# Openbox has taken over once it names itself on the root window; on a busy
# machine that can take a while.
managed=0
for _ in $(seq 300); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
        managed=1
        break
    fi
    sleep 0.1
done
((managed)) || { echo "FAIL: Openbox did not start"; cat "$work/openbox.log"; exit 1; }

export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
"$@"
