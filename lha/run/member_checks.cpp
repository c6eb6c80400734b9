// SPDX-License-Identifier: MIT
#include "member_checks.h"

#include "decoder.h"
#include "link_target.h"
#include "member_data.h"

namespace lha {

MemberOutcome checkMember(const Entry &e, Purpose purpose) {
    MemberOutcome outcome{e.info.name, Error::None, {}};
    std::string why;
    if (purpose == Purpose::Write && !e.refusal.empty()) {
        outcome.error = Error::UnsafeName;
        outcome.message = e.refusal;
    } else if (e.truncated) {
        outcome.error = Error::Damaged;
        outcome.message = kCutShort;
    } else if (carriesData(e.info.kind) && !findMethod(e.info.method)) {
        outcome.error = Error::UnsupportedMethod;
        outcome.message = "unknown method " + printable(e.info.method);
    } else if (purpose == Purpose::Write && e.info.kind == MemberKind::Symlink &&
               !linkStaysInside(e.path, e.info.linkTarget, why)) {
        outcome.error = Error::UnsafeName;
        outcome.message = why;
    }
    return outcome;
}

bool decodesData(const Entry &e, Purpose purpose) {
    return carriesData(e.info.kind) && checkMember(e, purpose).error == Error::None;
}

} // namespace lha
