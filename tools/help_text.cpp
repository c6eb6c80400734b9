// SPDX-License-Identifier: MIT
#include "help_text.h"

#include "exit_status.h"

#include <hokora/version.h>

namespace unlha {

std::string usageText() {
    return "usage: unlha [-]{xelvtp}[qfinv][w=DIR] [--json] [--charset NAME] ARCHIVE [NAME...]\n"
           "       unlha e ARCHIVE DEST/\n";
}

std::string helpText() {
    return usageText() + R"(
Extracts, lists and tests LHA (.lzh, .lha) archives.

Commands (the first letter; a leading '-' is allowed):
  x, e   extract, restoring the archive's folders, into the current folder
         or the folder given with w=DIR; "e ARCHIVE DEST/" (e, then a last
         argument ending in '/') extracts into DEST, as the archive library does
  l      list the members
  v      list with header level, OS, permissions, the time to the second and
         the charset each name was read in
  t      test every member's data against its CRC, writing nothing
  p      print the members' bytes to standard output

Options, glued to the command letter ("xqf") or in words of their own ("-q"):
  q      quiet: no progress line and no per-member lines
  f      replace existing files without asking
  i      ignore stored folders: write every member into one folder; a member
         whose name an earlier one already took is reported, never written
  n      dry run: tell what would be extracted, write nothing
  v      verbose: one line per member worked on
  w=DIR  extract into DIR, made with its parents when missing (v says so);
         also as a separate argument

  --json     with l, v and t: one JSON object per member and line
  --charset NAME  read the stored names in NAME, not the charset guessed from
             them: cp932 (shift-jis), euc-jp, utf-8, latin-1, cp437, cp850,
             mac-roman or cp1252 (windows-1252)
  --help     show this text
  --version  show the version

ARCHIVE '-' reads the archive from standard input, a pipe or a file.

NAME selects members by name or shell pattern ("*.txt", "doc/*"); a folder's
name, with or without a trailing '/', selects everything in it; a pattern
without '/' also matches the last part of a name. Without NAME every member
is worked on. Each argument is one name: blanks in it are part of it.

Control characters, bidirectional controls and bytes a name's charset cannot
decode are written as %HH, on disk as on the screen; --json adds the stored
bytes ("raw") to a name holding '%'.

Without f, an existing file is replaced only when the answer to a question on
the terminal says so; when standard input is no terminal it is kept.

Exit status:
)" + exitStatusTable() +
           R"(
Ctrl-C (SIGINT), SIGTERM and SIGHUP stop the run and remove the file being
written; unlha then ends by that signal, which a shell shows as the status
of 128 + its number: 130 for Ctrl-C, 143 for SIGTERM, 129 for SIGHUP.
)";
}

std::string versionText() {
    return "unlha (Hokora) " HOKORA_VERSION "\n";
}

} // namespace unlha
