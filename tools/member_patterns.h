// SPDX-License-Identifier: MIT
#pragma once
// Chooses members by the names and shell patterns given after the archive.
#include "lha/lha.h"

#include <string>
#include <vector>

namespace unlha {

class MemberPatterns {
public:
    explicit MemberPatterns(std::vector<std::string> patterns);

    // True for every member when no pattern was given. A pattern matches a
    // member's whole name ("doc/*.txt"), a folder and all under it ("doc"),
    // and, when it has no '/', the last part of a name ("*.txt").
    bool matches(const lha::MemberInfo &member);
    // The patterns no member has matched so far.
    std::vector<std::string> unmatched() const;
    bool empty() const { return m_patterns.empty(); }

private:
    std::vector<std::string> m_patterns;
    std::vector<bool> m_used;
};

} // namespace unlha
