// SPDX-License-Identifier: MIT
#include "exit_status.h"

#include "outcome.h"
#include "unlha32.h"

namespace unlha {

int badCommandLine() {
    return UNLHA_ERROR_COMMAND;
}

int unexpectedFailure() {
    return UNLHA_ERROR_UNEXPECTED;
}

int exitStatus(const lha::Result &result, bool skipsWereChosen) {
    return unlha32::resultCode(result, skipsWereChosen);
}

std::string exitStatusTable() {
    std::string table;
    for (int code = UNLHA_OK; code <= UNLHA_ERROR_UNEXPECTED; ++code) {
        const char *meaning = code == UNLHA_ERROR_COMMAND
                                  ? "bad command line, or a pattern that matches no member"
                                  : unlha32::describeCode(code);
        table += (code < 10 ? "   " : "  ") + std::to_string(code) + "  " + meaning + '\n';
    }
    return table;
}

} // namespace unlha
