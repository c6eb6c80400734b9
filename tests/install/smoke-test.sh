#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# smoke-test.sh PREFIX SAMPLES OUT: starts the program installed under PREFIX
# on a copy of SAMPLES/SAMPLE.LZH named in lower case, as archives on Linux
# mostly are, under a real X server (Xvfb) and waits until the splash
# has given way to the main window (caption "Ｈ．Ｋ"); saves OUT/smoke-main.png.
# With xdotool it then drags the floppy disk onto the disk drive, as a user
# does, and expects the finished notice and SAMPLES/src extracted into the
# folder the main window opened on (the working directory): this is the
# installed program finding and running the installed archive library.
# Saves OUT/smoke-finished.png and ends the program.
set -uo pipefail
prefix=$1 samples=$2 out=$3
timeout_s=${HOKORA_SMOKE_TIMEOUT:-30}

if [[ ${4:-} != --inside-x ]]; then
    for tool in xvfb-run xwininfo xprop import identify; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    [[ -x $prefix/bin/hokora ]] || { echo "FAIL: $prefix/bin/hokora is not installed"; exit 1; }
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$prefix" "$samples" "$out" --inside-x
fi

export LC_ALL=C.UTF-8
# The program must use the X server this script started, whatever platform
# the caller's environment asks Qt for.
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
work=$(mktemp -d)
mkdir "$work/dest"
cp "$samples/SAMPLE.LZH" "$work/sample.lzh"
(cd "$work/dest" && exec "$prefix/bin/hokora" "$work/sample.lzh") >"$work/log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

failed() {
    echo "FAIL: $*"
    echo "--- program output ---"
    cat "$work/log"
    exit 1
}

# Top-level windows of our process that are mapped, one "id caption" a line.
program_windows() {
    local id
    for id in $(xwininfo -root -children | awk '/^ +0x/ {print $1}'); do
        xprop -id "$id" _NET_WM_PID 2>/dev/null | grep -qx "_NET_WM_PID(CARDINAL) = $pid" || continue
        xwininfo -id "$id" | grep -q 'Map State: IsViewable' || continue
        echo "$id $(xprop -id "$id" _NET_WM_NAME | sed -n 's/.* = "\(.*\)"$/\1/p')"
    done
}

# wait_for DESCRIPTION COMMAND...: polls COMMAND until it succeeds.
wait_for() {
    local what=$1 deadline=$((SECONDS + timeout_s))
    shift
    until "$@"; do
        kill -0 "$pid" 2>/dev/null || failed "the program ended while waiting for $what"
        ((SECONDS < deadline)) || failed "no $what within ${timeout_s}s; mapped: [$(program_windows | tr '\n' ';')]"
        sleep 0.2
    done
}

screenshot() {
    sleep 1 # let freshly mapped windows paint
    import -window root "$1" || failed "import could not take the screenshot $1"
    local colours
    colours=$(identify -format %k "$1")
    ((colours > 16)) || failed "the screenshot $1 is nearly blank ($colours colours)"
    echo "screenshot: $1"
}

any_window_shown() { [[ -n $(program_windows) ]]; }
captioned_windows() { program_windows | grep -c ' Ｈ．Ｋ$'; }
main_window_shown() { (($(captioned_windows) >= 1)); }
notice_shown() { (($(captioned_windows) >= 2)); }

wait_for "window" any_window_shown
first=$(program_windows)
grep -q ' Ｈ．Ｋ$' <<<"$first" && failed "the main window came without the splash before it"
wait_for "main window" main_window_shown
screenshot "$out/smoke-main.png"

if command -v xdotool >/dev/null; then
    main=$(program_windows | awk '$2 == "Ｈ．Ｋ" {print $1; exit}')
    eval "$(xdotool getwindowgeometry --shell "$((main))")"
    # Centres of the floppy disk (Image1) and the disk drive (Image2), in
    # pixels of the main window's client area.
    xdotool mousemove $((X + 152)) $((Y + 88)) mousedown 1
    for step in $(seq 1 10); do
        xdotool mousemove $((X + 152 + step * 35)) $((Y + 88))
        sleep 0.05
    done
    xdotool mousemove $((X + 504)) $((Y + 80))
    sleep 0.2
    xdotool mouseup 1
    wait_for "finished notice after the drop" notice_shown
    diff -r "$samples/src" "$work/dest" || failed "the extracted files differ from the sample's sources"
    echo "the drop extracted the sample archive"
    screenshot "$out/smoke-finished.png"
else
    echo "xdotool is not installed: extraction by drag and drop not tried"
fi

kill -0 "$pid" 2>/dev/null || failed "the program ended on its own"
kill "$pid"
wait "$pid" 2>/dev/null
echo "the installed program ran and was ended"
