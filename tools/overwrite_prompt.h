// SPDX-License-Identifier: MIT
#pragma once
// Asks on the terminal whether to replace a file that is already there.
#include "lha/lha.h"

#include <cstdio>
#include <string>

namespace unlha {

class OverwritePrompt {
public:
    // Questions go to `out`, answers come from `in`, a line each.
    OverwritePrompt(std::FILE *in, std::FILE *out);

    // y(es), n(o), a(ll), s(kip all) or q(uit); asks again on anything else.
    // The end of the input quits: nothing is replaced without an answer.
    lha::OverwriteDecision ask(const std::string &name);
    // True once a question was answered.
    bool answered() const { return m_answered; }

private:
    std::FILE *m_in;
    std::FILE *m_out;
    bool m_answered = false;
};

} // namespace unlha
