// SPDX-License-Identifier: MIT
#include "member_checks.h"

#include "decoder.h"
#include "link_target.h"
#include "member_data.h"

namespace lha {

namespace {

// The first check the member fails, or None; its cause goes to `why` when
// one is asked for, so that deciding whether to decode costs no text.
Error firstFailedCheck(const Entry &e, Purpose purpose, std::string *why) {
    const auto say = [why](std::string text) {
        if (why)
            *why = std::move(text);
    };
    if (purpose == Purpose::Write && !e.refusal.empty()) {
        say(e.refusal);
        return Error::UnsafeName;
    }
    if (e.truncated) {
        say(kCutShort);
        return Error::Damaged;
    }
    if (carriesData(e.info.kind) && !findMethod(e.info.method)) {
        if (why)
            say("unknown method " + printable(e.info.method));
        return Error::UnsupportedMethod;
    }
    std::string linkWhy;
    if (purpose == Purpose::Write && e.info.kind == MemberKind::Symlink &&
        !linkStaysInside(e.path, e.info.linkTarget, linkWhy)) {
        say(std::move(linkWhy));
        return Error::UnsafeName;
    }
    return Error::None;
}

} // namespace

MemberOutcome checkMember(const Entry &e, Purpose purpose) {
    MemberOutcome outcome{e.info.name, Error::None, {}};
    outcome.error = firstFailedCheck(e, purpose, &outcome.message);
    return outcome;
}

bool decodesData(const Entry &e, Purpose purpose) {
    return carriesData(e.info.kind) && firstFailedCheck(e, purpose, nullptr) == Error::None;
}

} // namespace lha
