// SPDX-License-Identifier: MIT
#pragma once
// The run strategy of test() and print(): every member's data is decoded
// and verified; print() also hands the bytes to its sink as they come.
#include "member_run.h"

namespace lha {

class Tester {
public:
    // sink, when given, takes every decoded byte.
    Tester(MemberRun &run, const TestOptions &options, const ByteSink *sink);
    // Visits every member of the run; the outcomes.
    Result testAll();

private:
    bool testMember(const Entry &entry, std::size_t job);
    bool passBytes(const Entry &entry, std::size_t job);

    MemberRun &m_run;
    const TestOptions &m_options;
    const ByteSink *m_sink;
    Result m_result;
};

} // namespace lha
