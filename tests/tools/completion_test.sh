#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# completion_test.sh COMPLETION UNLHA ARCHIVE: what the bash completion offers
# at each point of a command line, as bash would ask it (COMP_WORDS split at
# '=' as bash splits them), in a folder of a few archives and other files.
set -uo pipefail
completion=$1 unlha=$2 archive=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
cp "$archive" a.lzh
cp "$archive" "B c.LHA"
touch notes.txt
mkdir -p sub/inner
# shellcheck source=/dev/null
source "$completion" || { echo "FAIL: cannot read $completion"; exit 1; }

failures=0
# expect "WANTED" WORD... : the sorted offers, space-separated, for the words
# (the last is the one being completed).
expect() {
    local wanted=$1
    shift
    COMP_WORDS=("$unlha" "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _unlha
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | LC_ALL=C sort | paste -sd'|')
    if [[ $got != "$wanted" ]]; then
        echo "FAIL: [$*]: offered [$got], expected [$wanted]"
        failures=$((failures + 1))
    fi
}

expect 'e|l|p|t|v|x' ''
expect '-e|-l|-p|-t|-v|-x' -
expect 'x|xf|xi|xn|xq|xv' x
expect '-tq|-tqf|-tqi|-tqn|-tqv' -tq
expect '--|--help|--json|--version' --
expect '--json' l --j
expect '-|B c.LHA|a.lzh|sub' x ''
expect 'B c.LHA' l B
expect '-f|-fi|-fn|-fq|-fv' x -f
expect 'sub' x w = ''
expect 'sub' xqw = s
expect 'sub/inner' e a.lzh sub/
expect 'empty.txt|large.bin|sub|text.txt|tiny.txt' e a.lzh ''
expect 'empty.txt|large.bin|text.txt|tiny.txt' x a.lzh ''
expect 'text.txt|tiny.txt' p w = sub a.lzh t
expect 'text.txt|tiny.txt' l -- a.lzh t
expect 'tiny.txt' x a.lzh text.txt ti
expect '' l - ''
expect 'B c.LHA' l --json B
# Words as typed, quoted or escaped.
expect 'B c.LHA' l 'B\ c'
expect 'text.txt|tiny.txt' l 'B\ c.LHA' t
expect 'text.txt|tiny.txt' l '"B c.LHA"' "'t"
expect 'sub/inner' x w = 'su"b/"'

((failures == 0)) && echo "the completion offers what each place takes"
exit $((failures > 0))
