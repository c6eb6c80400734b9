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
    return unlha::resultCode(result, skipsWereChosen);
}

std::string exitStatusTable() {
    std::string table;
    for (int code = UNLHA_OK; code <= UNLHA_ERROR_UNEXPECTED; ++code) {
        const char *meaning = unlha::describeCode(code);
        // Codes the tool reaches in more ways than the library.
        if (code == UNLHA_ERROR_COMMAND)
            meaning = "bad command line, or a pattern that matches no member";
        else if (code == UNLHA_ERROR_WRITE)
            meaning = "cannot write to the destination or to standard output";
        else if (code == UNLHA_ERROR_CANCELLED)
            meaning = "cancelled: q, or the end of input, at the overwrite question";
        table += (code < 10 ? "   " : "  ") + std::to_string(code) + "  " + meaning + '\n';
    }
    return table;
}

} // namespace unlha
