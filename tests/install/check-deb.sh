#!/usr/bin/env bash
# check-deb.sh BUILD WITH_PROGRAM WITH_LIBRARY: builds the Debian package with
# cpack and checks what apt would install: the files in the desktop layout
# under /usr and dependencies computed from the binaries.
set -uo pipefail
build=$1 with_program=$2 with_library=$3
for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    echo "FAIL: cpack -G DEB failed"
    exit 1
fi
deb=$(ls "$out"/hokora_*.deb 2>/dev/null)
[[ -f $deb ]] || { echo "FAIL: no hokora_*.deb in $out"; ls "$out"; exit 1; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
expect=(./usr/share/applications/hokora.desktop
    ./usr/share/icons/hicolor/16x16/apps/hokora.png
    ./usr/share/icons/hicolor/32x32/apps/hokora.png
    ./usr/share/icons/hicolor/scalable/apps/hokora.svg
    ./usr/share/mime/packages/hokora.xml)
[[ $with_program == 1 ]] && expect+=(./usr/bin/hokora)
[[ $with_library == 1 ]] && expect+=(./usr/lib/hokora/libunlha32.so)
for path in "${expect[@]}"; do
    grep -qxF "$path" <<<"$contents" || fail "$(basename "$deb") lacks $path"
done
grep -q '^\./usr/share/metainfo/.*\.metainfo\.xml$' <<<"$contents" || fail "no metainfo in the package"
grep -v '^\./usr/' <<<"$contents" | grep -qv '^\./$' && fail "files outside /usr: $(grep -v '^\./usr/' <<<"$contents" | grep -v '^\./$')"

depends=$(dpkg-deb -f "$deb" Depends)
if [[ $with_program == 1 ]]; then
    grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends lacks the Qt widgets library: [$depends]"
fi
[[ $(dpkg-deb -f "$deb" Package) == hokora ]] || fail "package is not named hokora"
((failures == 0)) && echo "$(basename "$deb") is complete; Depends: $depends"
exit $((failures > 0))
