#!/usr/bin/env bash
# smoke-test.sh PREFIX ARCHIVE SCREENSHOT: starts the installed program on
# ARCHIVE under a real X server (Xvfb), waits until the splash has given way
# to the main window (caption "Ｈ．Ｋ"), saves a screenshot of the screen and
# ends the program.
set -uo pipefail
prefix=$1 archive=$2 screenshot=$3
timeout_s=${HOKORA_SMOKE_TIMEOUT:-30}

if [[ ${4:-} != --inside-x ]]; then
    for tool in xvfb-run xwininfo xprop import identify; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    [[ -x $prefix/bin/hokora ]] || { echo "FAIL: $prefix/bin/hokora is not installed"; exit 1; }
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$prefix" "$archive" "$screenshot" --inside-x
fi

export LC_ALL=C.UTF-8
log=$(mktemp)
"$prefix/bin/hokora" "$archive" >"$log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null; rm -f "$log"' EXIT

# Top-level windows of our process that are mapped, one "id name" a line.
program_windows() {
    local id
    for id in $(xwininfo -root -children | awk '/^ +0x/ {print $1}'); do
        xprop -id "$id" _NET_WM_PID 2>/dev/null | grep -qx "_NET_WM_PID(CARDINAL) = $pid" || continue
        xwininfo -id "$id" | grep -q 'Map State: IsViewable' || continue
        echo "$id $(xprop -id "$id" _NET_WM_NAME | sed -n 's/.* = "\(.*\)"$/\1/p')"
    done
}

failed() {
    echo "FAIL: $*"
    echo "--- program output ---"
    cat "$log"
    exit 1
}

deadline=$((SECONDS + timeout_s))
seen_first=""
until program_windows | grep -q ' Ｈ．Ｋ$'; do
    kill -0 "$pid" 2>/dev/null || failed "the program ended before its main window appeared"
    ((SECONDS < deadline)) || failed "no main window within ${timeout_s}s; mapped: [$(program_windows)]"
    [[ -z $seen_first ]] && seen_first=$(program_windows | head -1)
    sleep 0.2
done
[[ -n $seen_first ]] || failed "the main window appeared without the splash before it"
echo "first window: $seen_first"
echo "windows now: $(program_windows | tr '\n' ';')"

sleep 1 # let the freshly mapped window paint
import -window root "$screenshot" || failed "import could not take the screenshot"
colours=$(identify -format %k "$screenshot")
((colours > 16)) || failed "the screenshot $screenshot is nearly blank ($colours colours)"
echo "screenshot: $screenshot ($colours colours)"

kill -0 "$pid" 2>/dev/null || failed "the program ended on its own"
kill "$pid"
wait "$pid" 2>/dev/null
trap 'rm -f "$log"' EXIT
echo "the installed program ran and was ended"
