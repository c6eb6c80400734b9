// SPDX-License-Identifier: MIT
#include "listing.h"

#include "exit_status.h"
#include "json_writer.h"
#include "member_fields.h"

#include <string>

namespace unlha {
namespace {

std::string ratio(const lha::MemberInfo &m) {
    if (m.originalSize == 0)
        return "  ----";
    char text[16];
    std::snprintf(text, sizeof text, "%5.1f%%",
                  100.0 * static_cast<double>(m.packedSize) / static_cast<double>(m.originalSize));
    return text;
}

const char *kindName(lha::MemberKind kind) {
    switch (kind) {
    case lha::MemberKind::File:
        return "file";
    case lha::MemberKind::Directory:
        return "directory";
    case lha::MemberKind::Symlink:
        return "symlink";
    case lha::MemberKind::Device:
        return "device";
    }
    return "file";
}

std::string hexBytes(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * bytes.size());
    for (const char ch : bytes) {
        out += kHex[static_cast<unsigned char>(ch) >> 4];
        out += kHex[static_cast<unsigned char>(ch) & 15];
    }
    return out;
}

std::string resultName(lha::Error error) {
    return error == lha::Error::None ? "ok" : lha::describe(error);
}

} // namespace

MemberTable::MemberTable(std::FILE *out, bool verbose) : m_out(out), m_verbose(verbose) {
    if (verbose)
        std::fprintf(out, "%12s %12s %6s %-5s %-4s %2s %-10s %-10s %-19s %-9s %s\n", "original",
                     "packed", "ratio", "meth", "crc", "lv", "os", "permission", "date and time",
                     "charset", "name");
    else
        std::fprintf(out, "%12s %12s %6s %-5s %-4s %-16s %s\n", "original", "packed", "ratio",
                     "meth", "crc", "date and time", "name");
}

void MemberTable::add(const lha::MemberInfo &m) {
    std::fprintf(m_out, "%12llu %12llu %6s %-5s %-4s ",
                 static_cast<unsigned long long>(m.originalSize),
                 static_cast<unsigned long long>(m.packedSize), ratio(m).c_str(),
                 lha::printable(m.method).c_str(), crcText(m).c_str());
    if (m_verbose)
        std::fprintf(m_out, "%2d %-10s %-10s %-19s %-9s ", m.headerLevel, osName(m.osId).c_str(),
                     permissions(m).c_str(), localTime(m.mtime, true).c_str(),
                     lha::printable(m.charset).c_str());
    else
        std::fprintf(m_out, "%-16s ", localTime(m.mtime, false).c_str());
    std::fprintf(m_out, "%s\n", shownName(m).c_str());
    if (m_verbose && !m.comment.empty())
        std::fprintf(m_out, "%12s comment: %s\n", "", lha::printable(m.comment).c_str());
    m_original += m.originalSize;
    m_packed += m.packedSize;
    ++m_count;
}

void MemberTable::finish(uint64_t archiveStart) {
    std::fprintf(m_out, "%12llu %12llu %zu member(s)\n",
                 static_cast<unsigned long long>(m_original),
                 static_cast<unsigned long long>(m_packed), m_count);
    if (m_verbose && archiveStart > 0)
        std::fprintf(m_out, "the archive starts at offset %llu\n",
                     static_cast<unsigned long long>(archiveStart));
}

void printJson(std::FILE *out, const lha::MemberInfo &m, const lha::MemberOutcome *outcome) {
    JsonObject json;
    json.add("name", lha::printable(m.name));
    // "%" in a name may be stored or an escape: the stored bytes tell.
    if (!m.storedName.empty())
        json.add("raw", hexBytes(m.storedName));
    json.add("charset", m.charset);
    json.add("kind", kindName(m.kind));
    if (m.kind == lha::MemberKind::Symlink)
        json.add("link_target", lha::printable(m.linkTarget));
    json.add("method", lha::printable(m.method));
    json.add("original_size", m.originalSize);
    json.add("packed_size", m.packedSize);
    if (m.crcStored)
        json.add("crc", crcText(m));
    else
        json.addNull("crc");
    if (m.mtime) {
        json.add("mtime", *m.mtime);
        json.add("time", utcTime(m.mtime));
    } else {
        json.addNull("mtime");
        json.addNull("time");
    }
    json.add("level", static_cast<int64_t>(m.headerLevel));
    json.add("os", osName(m.osId));
    if (m.unixMode) {
        char mode[16];
        std::snprintf(mode, sizeof mode, "%04o", *m.unixMode & 07777u);
        json.add("mode", mode);
    } else {
        json.addNull("mode");
    }
    if (!m.comment.empty())
        json.add("comment", lha::printable(m.comment));
    if (outcome) {
        json.add("result", resultName(outcome->error));
        // The exit status this member alone would give: a stable number for scripts.
        lha::Result alone;
        alone.members.push_back(*outcome);
        json.add("code", static_cast<int64_t>(exitStatus(alone)));
        if (!outcome->message.empty())
            json.add("message", outcome->message);
    }
    std::fprintf(out, "%s\n", json.text().c_str());
}

} // namespace unlha
