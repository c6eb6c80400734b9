// SPDX-License-Identifier: MIT
#include "lha/lha.h"

namespace lha {

std::size_t Result::add(MemberOutcome outcome, bool alwaysList) {
    const bool failed = outcome.error != Error::None;
    const std::size_t limit = failed ? kListedMost : kListedOutcomes;
    if (!alwaysList && members.size() >= limit) {
        ++(failed ? unlistedFailures : unlistedSuccesses);
        return kUnlisted;
    }
    members.push_back(std::move(outcome));
    return members.size() - 1;
}

bool Result::ok() const {
    return firstError() == Error::None;
}

Error Result::firstError() const {
    if (error != Error::None)
        return error;
    for (const auto &m : members)
        if (m.error != Error::None)
            return m.error;
    return Error::None;
}

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
    }
    return "unknown error";
}

} // namespace lha
