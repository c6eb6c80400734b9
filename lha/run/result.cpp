// SPDX-License-Identifier: MIT
#include "lha/lha.h"

#include <iterator>

namespace lha {

namespace {

std::size_t bytesOf(const MemberOutcome &outcome) {
    return sizeof outcome + outcome.name.size() + outcome.message.size();
}

} // namespace

std::size_t Result::add(MemberOutcome outcome, bool alwaysList) {
    const bool failed = outcome.error != Error::None;
    const std::size_t bytes = bytesOf(outcome);
    const bool room = failed
                          ? members.size() < kListedMost && listedBytes + bytes <= kListedMostBytes
                          : members.size() < kListedOutcomes && listedBytes + bytes <= kListedBytes;
    if (!alwaysList && !room) {
        ++(failed ? unlistedFailures : unlistedSuccesses);
        return kUnlisted;
    }
    listedBytes += bytes;
    members.push_back(std::move(outcome));
    return members.size() - 1;
}

void Result::relist(std::size_t from) {
    std::vector<MemberOutcome> later(std::make_move_iterator(members.begin() + from),
                                     std::make_move_iterator(members.end()));
    members.resize(from);
    listedBytes = 0;
    for (const auto &m : members)
        listedBytes += bytesOf(m);
    for (auto &m : later)
        if (!m.name.empty() || m.error != Error::None)
            add(std::move(m));
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

} // namespace lha
