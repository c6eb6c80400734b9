// SPDX-License-Identifier: MIT
/* libunlha32.so: extracts LHA (.LZH) archives through a one-line command.
 *
 * The library is bound by name at run time (dlopen), so programs need this
 * header only for the entry types and the result codes.
 *
 * Command: "e ARCHIVE DEST/" (or "x ..."), in the locale's character set.
 * The separator that ends the line marks the destination directory, so the
 * root is written "//". Blanks inside either path need no quoting: the line
 * is split where the archive part names an existing file and, when it can
 * be split more than one way, where the destination is an existing folder;
 * the report's first line then says how it was read. Either path may also
 * be given in double quotes. A missing destination folder is created when
 * its parent exists. The archive's folders are restored under the
 * destination; nothing is ever written outside it. Absolute member names
 * (a leading "/" or drive letter) are extracted relative to the
 * destination, which is not an error.
 *
 * Owner window: when hwnd is the native id of a widget of the running Qt
 * application and Unlha is called on its user-interface thread, the library
 * shows a progress window modal to that widget's window (with a Cancel
 * button), asks before replacing an existing file and, when anything failed
 * (the user's own cancel aside), lists every failed member with its cause in
 * a report window before it returns. Otherwise it shows nothing and never
 * replaces an existing file.
 */
#ifndef UNLHA32_H
#define UNLHA32_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Results of Unlha. When several members fail, the code names the first
 * failure in archive order; a cancel always wins. */
enum {
    UNLHA_OK = 0,                       /* every member was extracted and its CRC verified */
    UNLHA_ERROR_COMMAND = 1,            /* the command is not "e ARCHIVE DEST/" */
    UNLHA_ERROR_ARCHIVE_UNREADABLE = 2, /* the archive is missing or cannot be read */
    UNLHA_ERROR_NOT_ARCHIVE = 3,        /* the file is not an LHA archive */
    UNLHA_ERROR_DAMAGED = 4,            /* broken header, truncated data or CRC mismatch */
    UNLHA_ERROR_METHOD = 5,             /* a member uses a compression method we cannot decode */
    /* A file or folder cannot be created in the destination. Such a failure
     * fails its member only; a full disk, a quota or a read-only file system
     * stop the run, and the report then names every member not extracted. */
    UNLHA_ERROR_WRITE = 6,
    UNLHA_ERROR_CANCELLED = 7, /* the user pressed Cancel; the partial file was removed */
    /* A member's name was already taken in the destination and nobody was
     * there to ask (no owner window), so what was there was kept and the
     * member skipped; a folder is never replaced, whoever is asked. A skip
     * the user chose in the overwrite question is not an error. */
    UNLHA_ERROR_EXISTS = 8,
    /* A member was refused: its name climbs out with "..", its link points
     * at an absolute path or out of the destination, it is a device or a
     * pipe, or its name is longer than any path: a hostile or broken
     * archive. The other members are extracted. */
    UNLHA_ERROR_UNSAFE_NAME = 9,
    UNLHA_ERROR_UNEXPECTED = 10 /* anything else, e.g. out of memory */
};

/* The library's version times 100: 100 for 1.00. */
int UnlhaGetVersion(void);

/* Runs one command and returns one of the codes above. When size is non-zero
 * a plain-text report (one line per member, then a summary) is written to
 * out, cut to fit and always NUL-terminated; with size 0, out is not touched
 * and may be null. */
int Unlha(uint32_t hwnd, const char *command, char *out, uint32_t size);

#ifdef __cplusplus
}
#endif

#endif
