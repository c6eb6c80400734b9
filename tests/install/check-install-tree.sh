#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# check-install-tree.sh PREFIX VERSION: checks what `cmake --install` laid out
# under PREFIX for a desktop to use it: the program finds its library through
# its RUNPATH, the .desktop entry, the icons, the metainfo and the MIME
# definition agree with one another, and everything that states a version
# states VERSION.
set -uo pipefail
prefix=$1 version=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need_file() { [[ -f $prefix/$1 ]] || fail "$1 is not installed"; }

# PNG width and height, from the IHDR chunk (bytes 16-23, big-endian).
png_size() {
    local b
    read -ra b < <(od -An -tu1 -j16 -N8 "$1")
    echo "$(((b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3]))x$(((b[4] << 24) | (b[5] << 16) | (b[6] << 8) | b[7]))"
}

desktop_value() { sed -n "s/^$1=//p" "$prefix/share/applications/hokora.desktop"; }

need_file bin/hokora
if [[ -f $prefix/bin/hokora ]]; then
    runpath=$(readelf -d "$prefix/bin/hokora" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
    [[ -n $runpath ]] || fail "bin/hokora has no RUNPATH"
    found=0
    IFS=: read -ra dirs <<<"$runpath"
    for dir in "${dirs[@]}"; do
        [[ $dir == "\$ORIGIN"* ]] || fail "bin/hokora's RUNPATH entry $dir is not relative to the program"
        dir=${dir//\$ORIGIN/$prefix/bin}
        [[ -f $dir/libunlha32.so ]] && found=1
    done
    ((found)) || fail "no RUNPATH entry of bin/hokora ($runpath) holds libunlha32.so"
fi
need_file lib/hokora/libunlha32.so
need_file bin/unlha
for page in man/man1/hokora.1.gz man/man1/unlha.1.gz man/ja/man1/hokora.1.gz \
    doc/hokora/hokora.txt doc/hokora/copyright doc/hokora/changelog.gz \
    bash-completion/completions/unlha; do
    need_file "share/$page"
done

# bash-completion loads the file by the command's name; it must define the
# completion of that command.
completion=$prefix/share/bash-completion/completions/unlha
if [[ -f $completion ]]; then
    bash -c 'source "$1" && complete -p unlha' _ "$completion" >/dev/null 2>&1 ||
        fail "share/bash-completion/completions/unlha does not complete unlha"
fi

# The one version: the metainfo's release, the changelog's entry, the
# program's application version and what unlha --version says.
grep -q "<release version=\"$version\"" "$prefix"/share/metainfo/*.metainfo.xml 2>/dev/null ||
    fail "the metainfo's release is not $version"
zcat "$prefix/share/doc/hokora/changelog.gz" 2>/dev/null | head -n1 | grep -qF "hokora ($version)" ||
    fail "the changelog's first entry is not $version"
# The program holds its version as UTF-16 text: read it with the zero bytes
# taken out (and to the end: grep -q would cut the pipe under pipefail).
tr -d '\000' <"$prefix/bin/hokora" 2>/dev/null | grep -aF "$version" >/dev/null ||
    fail "bin/hokora does not carry $version"
[[ $("$prefix/bin/unlha" --version 2>/dev/null) == *" $version" ]] ||
    fail "unlha --version does not say $version"

need_file share/applications/hokora.desktop
need_file share/icons/hicolor/scalable/apps/hokora.svg
for size in 16 32; do
    png=share/icons/hicolor/${size}x${size}/apps/hokora.png
    need_file "$png"
    [[ -f $prefix/$png && $(png_size "$prefix/$png") == "${size}x${size}" ]] ||
        fail "$png is not ${size}x${size}"
done

# The entry must name what was installed: its program, its icon, and the
# metainfo must point back at it and list the same MIME types.
[[ $(desktop_value Exec) == "hokora %f" ]] || fail "Exec is not 'hokora %f'"
[[ $(desktop_value Icon) == hokora ]] || fail "Icon is not the installed hokora icon"
metainfo=$(ls "$prefix"/share/metainfo/*.metainfo.xml 2>/dev/null)
if [[ $(wc -w <<<"$metainfo") != 1 ]]; then
    fail "expected one metainfo file, found: $metainfo"
else
    id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")
    [[ $(basename "$metainfo") == "$id.metainfo.xml" ]] || fail "metainfo file is not named after its id $id"
    grep -q '<launchable type="desktop-id">hokora.desktop</launchable>' "$metainfo" ||
        fail "metainfo does not launch hokora.desktop"
    desktop_types=$(desktop_value MimeType | tr ';' '\n' | sed '/^$/d' | sort)
    metainfo_types=$(sed -n 's:.*<mediatype>\(.*\)</mediatype>.*:\1:p' "$metainfo" | sort)
    [[ $desktop_types == "$metainfo_types" ]] ||
        fail "MIME types differ: desktop [$desktop_types] metainfo [$metainfo_types]"
fi

# The MIME definition must build into a database that maps both spellings of
# the extension to a type the entry handles.
need_file share/mime/packages/hokora.xml
if command -v update-mime-database >/dev/null && [[ -f $prefix/share/mime/packages/hokora.xml ]]; then
    scratch=$(mktemp -d)
    mkdir -p "$scratch/mime/packages"
    cp "$prefix/share/mime/packages/hokora.xml" "$scratch/mime/packages/"
    if update-mime-database "$scratch/mime" >/dev/null 2>&1; then
        grep -qx '[0-9]*:application/x-lha:\*\.lzh' "$scratch/mime/globs2" ||
            fail "the MIME database maps no *.lzh glob to application/x-lha"
        grep -q ':cs$' "$scratch/mime/globs2" && fail "the *.lzh glob is case-sensitive, .LZH would be missed"
        grep -qx 'application/x-lzh-compressed application/x-lha' "$scratch/mime/aliases" ||
            fail "application/x-lzh-compressed is not an alias of application/x-lha"
    else
        fail "update-mime-database rejects share/mime/packages/hokora.xml"
    fi
    rm -rf "$scratch"
fi

((failures == 0)) && echo "install tree under $prefix is complete"
exit $((failures > 0))
