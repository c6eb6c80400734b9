// SPDX-License-Identifier: MIT
#include "member_patterns.h"

#include <fnmatch.h>

namespace unlha {
namespace {

bool matchesOne(const std::string &pattern, const std::string &name) {
    if (::fnmatch(pattern.c_str(), name.c_str(), 0) == 0)
        return true;
    if (::fnmatch((pattern + "/*").c_str(), name.c_str(), 0) == 0)
        return true;
    if (pattern.find('/') != std::string::npos)
        return false;
    const auto slash = name.find_last_of('/');
    return slash != std::string::npos &&
           ::fnmatch(pattern.c_str(), name.c_str() + slash + 1, 0) == 0;
}

} // namespace

MemberPatterns::MemberPatterns(std::vector<std::string> patterns)
    : m_patterns(std::move(patterns)), m_used(m_patterns.size(), false) {
    for (auto &p : m_patterns)
        while (p.size() > 1 && p.back() == '/')
            p.pop_back();
}

bool MemberPatterns::matches(const lha::MemberInfo &member) {
    if (m_patterns.empty())
        return true;
    // A folder member's name may end with '/'.
    std::string name = member.name;
    while (name.size() > 1 && name.back() == '/')
        name.pop_back();
    bool any = false;
    for (std::size_t i = 0; i < m_patterns.size(); ++i)
        if (matchesOne(m_patterns[i], name))
            any = m_used[i] = true;
    return any;
}

std::vector<std::string> MemberPatterns::unmatched() const {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < m_patterns.size(); ++i)
        if (!m_used[i])
            out.push_back(m_patterns[i]);
    return out;
}

} // namespace unlha
