#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# check-deb.sh BUILD VERSION: builds the Debian package with cpack and checks
# what apt would install: the files in the desktop layout under /usr,
# dependencies computed from the binaries, the version, and that lintian
# finds neither an error nor a warning.
set -uo pipefail
build=$1 version=$2
for tool in cpack dpkg-deb dpkg-shlibdeps lintian; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    echo "FAIL: cpack -G DEB failed"
    exit 1
fi
deb=$(ls "$out"/hokora_*.deb 2>/dev/null | grep -v dbgsym)
[[ -f $deb ]] || { echo "FAIL: no hokora_*.deb in $out"; ls "$out"; exit 1; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
expect=(./usr/share/applications/hokora.desktop
    ./usr/share/icons/hicolor/16x16/apps/hokora.png
    ./usr/share/icons/hicolor/32x32/apps/hokora.png
    ./usr/share/icons/hicolor/scalable/apps/hokora.svg
    ./usr/share/mime/packages/hokora.xml
    ./usr/bin/hokora
    ./usr/bin/unlha
    ./usr/lib/hokora/libunlha32.so
    ./usr/share/man/man1/hokora.1.gz
    ./usr/share/man/man1/unlha.1.gz
    ./usr/share/man/ja/man1/hokora.1.gz
    ./usr/share/bash-completion/completions/unlha
    ./usr/share/doc/hokora/hokora.txt
    ./usr/share/doc/hokora/copyright
    ./usr/share/doc/hokora/changelog.gz)
for path in "${expect[@]}"; do
    grep -qxF "$path" <<<"$contents" || fail "$(basename "$deb") lacks $path"
done
grep -q '^\./usr/share/metainfo/.*\.metainfo\.xml$' <<<"$contents" || fail "no metainfo in the package"
grep -v '^\./usr/' <<<"$contents" | grep -qv '^\./$' && fail "files outside /usr: $(grep -v '^\./usr/' <<<"$contents" | grep -v '^\./$')"

depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends lacks the Qt widgets library: [$depends]"
[[ $(dpkg-deb -f "$deb" Package) == hokora ]] || fail "package is not named hokora"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version is not $version"

# Debian's own checks.
if ! lintian --fail-on error,warning "$deb" >"$out/lintian.log" 2>&1; then
    cat "$out/lintian.log"
    fail "lintian reports errors or warnings"
fi
((failures == 0)) && echo "$(basename "$deb") is complete; Depends: $depends"
exit $((failures > 0))
