// SPDX-License-Identifier: MIT
// The engine's words for its kinds of error, which every layer above the
// decoders reports with.
#include "lha/lha.h"

namespace lha {

const char *describe(Error error) {
    switch (error) {
    case Error::None:
        return "ok";
    case Error::ArchiveUnreadable:
        return "cannot read the archive";
    case Error::NotAnArchive:
        return "not an LHA archive";
    case Error::Damaged:
        return "the archive is damaged";
    case Error::UnsupportedMethod:
        return "unsupported compression method";
    case Error::UnsafeName:
        return "unsafe name refused";
    case Error::WriteFailed:
        return "cannot write to the destination";
    case Error::Exists:
        return "file exists, skipped";
    case Error::Cancelled:
        return "cancelled";
    case Error::OutOfMemory:
        return "out of memory"; // short enough to need no memory of its own
    }
    return "unknown error";
}

} // namespace lha
