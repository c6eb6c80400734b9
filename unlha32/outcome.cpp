// SPDX-License-Identifier: MIT
#include "outcome.h"

#include "unlha32.h"

#include <algorithm>
#include <cstring>

namespace unlha {

bool isContinuationByte(char c) {
    constexpr uint8_t kContinuationMask = 0xC0;
    constexpr uint8_t kContinuation = 0x80;
    return (static_cast<uint8_t>(c) & kContinuationMask) == kContinuation;
}

int codeFor(lha::Error error) {
    switch (error) {
    case lha::Error::None:
        return UNLHA_OK;
    case lha::Error::ArchiveUnreadable:
        return UNLHA_ERROR_ARCHIVE_UNREADABLE;
    case lha::Error::NotAnArchive:
        return UNLHA_ERROR_NOT_ARCHIVE;
    case lha::Error::Damaged:
        return UNLHA_ERROR_DAMAGED;
    case lha::Error::UnsupportedMethod:
        return UNLHA_ERROR_METHOD;
    case lha::Error::UnsafeName:
        return UNLHA_ERROR_UNSAFE_NAME;
    case lha::Error::WriteFailed:
        return UNLHA_ERROR_WRITE;
    case lha::Error::Exists:
        return UNLHA_ERROR_EXISTS;
    case lha::Error::Cancelled:
        return UNLHA_ERROR_CANCELLED;
    case lha::Error::OutOfMemory:
        return UNLHA_ERROR_UNEXPECTED;
    }
    return UNLHA_ERROR_UNEXPECTED;
}

namespace {

const char *memberStatus(lha::Error error) {
    switch (error) {
    case lha::Error::None:
        return "ok      ";
    case lha::Error::Exists:
        return "skipped ";
    case lha::Error::Cancelled:
        return "stopped ";
    default:
        return "failed  ";
    }
}

} // namespace

int resultCode(const lha::Result &result, bool skipsWereChosen) {
    if (result.error != lha::Error::None)
        return codeFor(result.error);
    const auto &members = result.members;
    if (std::any_of(members.begin(), members.end(),
                    [](const auto &m) { return m.error == lha::Error::Cancelled; }))
        return UNLHA_ERROR_CANCELLED;
    for (const auto &m : members) {
        if (m.error == lha::Error::Exists && skipsWereChosen)
            continue;
        if (m.error != lha::Error::None)
            return codeFor(m.error);
    }
    return UNLHA_OK;
}

const char *describeCode(int code) {
    switch (code) {
    case UNLHA_OK:
        return "every file was extracted and verified";
    case UNLHA_ERROR_COMMAND:
        return "bad command (expected: e ARCHIVE DEST/)";
    case UNLHA_ERROR_ARCHIVE_UNREADABLE:
        return "the archive is missing or cannot be read";
    case UNLHA_ERROR_NOT_ARCHIVE:
        return "not an LHA archive";
    case UNLHA_ERROR_DAMAGED:
        return "the archive is damaged";
    case UNLHA_ERROR_METHOD:
        return "unsupported compression method";
    case UNLHA_ERROR_WRITE:
        return "cannot write to the destination";
    case UNLHA_ERROR_CANCELLED:
        return "cancelled by the user";
    case UNLHA_ERROR_EXISTS:
        return "existing files were kept and their members skipped";
    case UNLHA_ERROR_UNSAFE_NAME:
        return "unsafe names refused";
    }
    return "not enough memory, or an unexpected failure";
}

std::string reportText(const lha::Result &result, int code, std::string_view preface) {
    std::string text;
    if (!preface.empty())
        text.append(lha::printable(preface)).append("\n");
    for (const auto &m : result.members) {
        text += memberStatus(m.error);
        text += lha::printable(m.name);
        if (!m.message.empty())
            text += ": " + lha::printable(m.message);
        text += '\n';
    }
    const uint64_t unlisted = result.unlistedSuccesses + result.unlistedFailures;
    if (unlisted > 0)
        text += std::to_string(unlisted) + " more members (" +
                std::to_string(result.unlistedFailures) + " failed)\n";
    if (!result.message.empty())
        text += lha::printable(result.message) + '\n';
    text += "result " + std::to_string(code) + ": " + describeCode(code) + '\n';
    return text;
}

void writeReport(std::string_view text, char *out, uint32_t size) {
    if (size == 0 || out == nullptr)
        return;
    auto length = std::min<std::size_t>(text.size(), size - 1);
    // A cut report ends before a character it cannot hold whole.
    while (length > 0 && length < text.size() && isContinuationByte(text[length]))
        --length;
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

} // namespace unlha
