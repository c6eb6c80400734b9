#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# check-sample.sh SAMPLES_DIR: the bundled SAMPLE.LZH, extracted by a peer
# (lhasa), holds exactly the files of samples/src, byte for byte, under their
# names in Shift-JIS. Fails when the sources changed and the archive was not
# rebuilt with samples/make-sample.
set -uo pipefail
samples=$1
command -v lhasa >/dev/null || { echo "SKIP: lhasa is not installed"; exit 77; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

(cd "$out" && lhasa xq "$samples/SAMPLE.LZH") || { echo "FAIL: lhasa cannot extract SAMPLE.LZH"; exit 1; }
failures=0
while IFS= read -r -d '' source; do
    relative=${source#"$samples/src/"}
    stored=$(iconv -f UTF-8 -t CP932 <<<"$relative") || { echo "FAIL: $relative has no Shift-JIS name"; exit 1; }
    if [[ ! -f $out/$stored ]]; then
        echo "FAIL: $relative is missing from the archive"
        failures=$((failures + 1))
    elif ! cmp -s "$source" "$out/$stored"; then
        echo "FAIL: $relative differs from its source"
        failures=$((failures + 1))
    fi
done < <(find "$samples/src" -type f -print0)

sources=$(find "$samples/src" -type f | wc -l)
extracted=$(find "$out" -type f | wc -l)
if ((sources != extracted)); then
    echo "FAIL: the archive holds $extracted files, samples/src $sources"
    failures=$((failures + 1))
fi
((failures == 0)) && echo "SAMPLE.LZH matches samples/src ($sources files)"
exit $((failures > 0))
