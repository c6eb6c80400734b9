#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Extracts every archive of the LHA corpus with unlha and with the peer tools
(lhasa, 7-Zip, unar) and counts the archives whose extracted tree is exactly
the peer's: the same paths, the same bytes, the same link targets. Paths are
compared without regard to case, as some peers fold the upper-case names of
MS-DOS archives to lower case and the engine keeps them as stored.

    bench/corpus_compare.py BUILD/bin/unlha [CORPUS] [-v]

Also checks each archive against the peer's listing under expected/ or
variants/expected/: every member listed as a file must come out with the
listed size and CRC-16, whatever its name decodes to.
"""
import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

ARCHIVE_SUFFIXES = {".lzh", ".lha", ".lzs", ".pma", ".exe", ".run"}


def crc16(data):
    crc = 0
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def tree(root):
    """path -> ('dir',) | ('file', bytes) | ('link', target)"""
    out = {}
    for dirpath, dirnames, filenames in os.walk(root):
        for name in dirnames + filenames:
            full = Path(dirpath) / name
            rel = str(full.relative_to(root)).lower()
            if full.is_symlink():
                out[rel] = ("link", os.readlink(full))
            elif full.is_dir():
                out[rel] = ("dir",)
            else:
                out[rel] = ("file", full.read_bytes())
    return out


def run(argv, cwd=None):
    try:
        subprocess.run(argv, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
    except subprocess.TimeoutExpired:
        pass


def extract(tool, archive, dest, unlha):
    dest.mkdir()
    if tool == "unlha":
        run([unlha, "e", str(archive), str(dest) + "/"])
    elif tool == "lhasa":
        run(["lha", "xfw=" + str(dest), str(archive)])
    elif tool == "7z":
        run(["7zz", "x", "-y", "-snl", "-o" + str(dest), str(archive)])
    elif tool == "unar":
        run(["unar", "-q", "-f", "-D", "-o", str(dest), str(archive)])
    return tree(dest)


def listed_files(listing):
    """(size, crc) of every member the peer's verbose listing shows as a file."""
    out = []
    lines = listing.read_text(errors="replace").splitlines()
    for name, detail in zip(lines, lines[1:]):
        m = re.search(r"\s(\d+)\s+(\d+)\s+\S+\s+(-\w\w\w-)\s+([0-9a-f]{4})\s", detail)
        if m and not name.endswith("/") and m.group(3) != "-lhd-":
            out.append((int(m.group(2)), int(m.group(4), 16)))
    return sorted(out)


def listing_for(corpus, archive):
    rel = archive.relative_to(corpus)
    if rel.parts[0] == "variants":
        return corpus / "variants" / "expected" / Path(*rel.parts[1:]).with_name(rel.name + "-vv.txt")
    return corpus / "expected" / rel.with_name(rel.name + "-vv.txt")


def main():
    if not sys.argv[1:] or {"-h", "--help"} & set(sys.argv[1:]):
        print(__doc__.strip())
        return 0 if sys.argv[1:] else 2
    args = [a for a in sys.argv[1:] if a != "-v"]
    verbose = "-v" in sys.argv
    unlha = os.path.abspath(args[0])
    corpus = Path(args[1] if len(args) > 1 else "../shared/lha-corpus").resolve()
    archives = sorted(p for p in corpus.rglob("*")
                      if p.suffix.lower() in ARCHIVE_SUFFIXES and "expected" not in p.parts)
    same = {"lhasa": 0, "7z": 0, "unar": 0}
    same_any = 0
    listed = listed_ok = 0
    for archive in archives:
        with tempfile.TemporaryDirectory() as tmp:
            trees = {t: extract(t, archive, Path(tmp) / t, unlha)
                     for t in ("unlha", "lhasa", "7z", "unar")}
        ours = trees["unlha"]
        matches = [t for t in same if trees[t] == ours and ours]
        for t in matches:
            same[t] += 1
        same_any += bool(matches)
        listing = listing_for(corpus, archive)
        verdict = ""
        if listing.exists():
            listed += 1
            got = sorted((len(v[1]), crc16(v[1])) for v in ours.values() if v[0] == "file")
            want = listed_files(listing)
            # Every listed file must come out; more (kept attribute data) is allowed.
            ok = all(got.count(w) >= want.count(w) for w in set(want))
            listed_ok += ok
            verdict = "listing ok" if ok else "LISTING MISMATCH"
        if verbose or not matches:
            print(f"{archive.relative_to(corpus)}: same as {','.join(matches) or 'no peer'}; {verdict}")
    print(f"archives: {len(archives)}")
    for t, n in same.items():
        print(f"same tree as {t}: {n}")
    print(f"same tree as at least one peer: {same_any}")
    print(f"every listed file with the listed size and CRC: {listed_ok} of {listed}")


if __name__ == "__main__":
    sys.exit(main())
