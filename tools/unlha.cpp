// unlha: the LHA engine on the command line, for scripts and benchmarks.
//
//   unlha e ARCHIVE DEST/   extract, restoring the archive's folders
//   unlha l ARCHIVE         list the members
//   unlha t ARCHIVE         test every member's data
//
// The arguments are read as one command line, the same text the archive
// library accepts. Exit status 0 only when everything succeeded.
#include "interrupt.h"
#include "lha/command.h"
#include "lha/lha.h"

#include <cstdio>
#include <ctime>
#include <string>

namespace {

void usage() {
    std::fputs("usage: unlha e ARCHIVE DEST/ | unlha l ARCHIVE | unlha t ARCHIVE\n", stderr);
}

std::string formatTime(const std::optional<int64_t> &mtime) {
    if (!mtime)
        return "----------------";
    const time_t t = static_cast<time_t>(*mtime);
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &tm);
    return text;
}

std::string ratio(const lha::MemberInfo &m) {
    if (m.original_size == 0)
        return "  ----";
    char text[16];
    std::snprintf(text, sizeof text, "%5.1f%%",
                  100.0 * static_cast<double>(m.packed_size) /
                      static_cast<double>(m.original_size));
    return text;
}

// Prints each failure as "unlha: ARCHIVE: MEMBER: cause"; true when all went well.
bool report(const std::string &archive, const lha::Result &result) {
    const std::string shown = lha::printable(archive);
    for (const auto &member : result.members)
        if (member.error != lha::Error::None)
            std::fprintf(
                stderr, "unlha: %s: %s: %s\n", shown.c_str(), lha::printable(member.name).c_str(),
                member.message.empty() ? lha::describe(member.error) : member.message.c_str());
    if (result.error != lha::Error::None)
        std::fprintf(stderr, "unlha: %s: %s\n", shown.c_str(),
                     result.message.empty() ? lha::describe(result.error) : result.message.c_str());
    return result.ok();
}

int listArchive(const std::string &archive) {
    std::vector<lha::MemberInfo> members;
    const auto result = lha::list(archive, members);
    std::printf("%12s %12s %6s %-5s %-4s %-16s %s\n", "original", "packed", "ratio", "meth", "crc",
                "date and time", "name");
    uint64_t original = 0;
    uint64_t packed = 0;
    for (const auto &m : members) {
        std::string name = lha::printable(m.name);
        if (m.kind == lha::MemberKind::Directory)
            name += "/";
        else if (m.kind == lha::MemberKind::Symlink)
            name += " -> " + lha::printable(m.link_target);
        std::printf("%12llu %12llu %6s %-5s %04x %-16s %s\n",
                    static_cast<unsigned long long>(m.original_size),
                    static_cast<unsigned long long>(m.packed_size), ratio(m).c_str(),
                    lha::printable(m.method).c_str(), m.crc, formatTime(m.mtime).c_str(),
                    name.c_str());
        original += m.original_size;
        packed += m.packed_size;
    }
    std::printf("%12llu %12llu %zu member(s)\n", static_cast<unsigned long long>(original),
                static_cast<unsigned long long>(packed), members.size());
    return report(archive, result) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        usage();
        return 2;
    }
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    const auto parsed = lha::parseCommand(line);
    if (!parsed.ok()) {
        std::fprintf(stderr, "unlha: %s\n", parsed.error.c_str());
        usage();
        return 2;
    }
    const auto &command = parsed.command;
    const std::string archive = command.archive.string();
    lha::Options options;
    options.cancel = unlha_tool::cancelOnInterrupt();
    bool ok = false;
    switch (command.verb) {
    case lha::Verb::List:
        return listArchive(archive);
    case lha::Verb::Test:
        ok = report(archive, lha::test(command.archive, options));
        break;
    case lha::Verb::Extract:
        ok = report(archive, lha::extract(command.archive, command.destination, options));
        break;
    }
    unlha_tool::endIfInterrupted();
    return ok ? 0 : 1;
}
