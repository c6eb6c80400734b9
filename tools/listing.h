// SPDX-License-Identifier: MIT
#pragma once
// The member tables of "l" and "v", and the JSON lines of --json.
#include "lha/lha.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace unlha {

// "l": sizes, ratio, method, CRC, time and name; "v" adds the header level,
// the OS, the permissions and the time to the second, and a member's comment
// on a line of its own.
// The table is printed a row at a time, as the members are read.
class MemberTable {
public:
    MemberTable(std::FILE *out, bool verbose); // prints the heading
    void add(const lha::MemberInfo &member);
    // Prints the totals, and in "v" where the archive starts when a
    // self-extractor's program comes first.
    void finish(uint64_t archiveStart);

private:
    std::FILE *m_out;
    bool m_verbose;
    uint64_t m_original = 0;
    uint64_t m_packed = 0;
    std::size_t m_count = 0;
};

// One JSON object per line and member. outcome, when given, is the member's
// test result.
void printJson(std::FILE *out, const lha::MemberInfo &member,
               const lha::MemberOutcome *outcome = nullptr);

} // namespace unlha
