/* libunlha32.so: extracts LHA (.LZH) archives through a one-line command.
 *
 * The library is bound by name at run time (dlopen), so programs need this
 * header only for the entry types and the result codes.
 *
 * Command: "e ARCHIVE DEST/" (or "x ..."), in the locale's character set.
 * The separator that ends the line marks the destination directory, so the
 * root is written "//". Blanks inside either path need no quoting: the line
 * is split where the archive part names an existing file. Either path may
 * also be given in double quotes. The archive's folders are restored under
 * the destination; nothing is ever written outside it.
 *
 * Owner window: when hwnd is the native id of a widget of the running Qt
 * application and Unlha is called on its user-interface thread, the library
 * shows a progress window modal to that widget's window (with a Cancel
 * button) and asks before replacing an existing file. Otherwise it shows
 * nothing and never replaces an existing file.
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
    UNLHA_ERROR_WRITE = 6,              /* a file or folder cannot be created in the destination */
    UNLHA_ERROR_CANCELLED = 7,          /* the user pressed Cancel; the partial file was removed */
    /* A member's file already existed and nobody was there to ask (no owner
     * window), so it was kept and the member skipped. A skip the user chose
     * in the overwrite question is not an error. */
    UNLHA_ERROR_EXISTS = 8,
    /* A member was refused because its name or link would reach outside the
     * destination (an absolute path or ".."): a hostile or broken archive. */
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
