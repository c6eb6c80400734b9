// SPDX-License-Identifier: MIT
#include "member_fields.h"

#include <ctime>

namespace unlha {
namespace {

// The OS letters LHA headers carry, with the systems they stand for.
struct OsLetter {
    char id;
    const char *name;
};
constexpr OsLetter kOsLetters[] = {
    {'\0', "generic"}, {'M', "MS-DOS"}, {'2', "OS/2"},       {'9', "OS-9"},
    {'K', "OS/68K"},   {'3', "OS/386"}, {'H', "Human68K"},   {'U', "Unix"},
    {'C', "CP/M"},     {'F', "FLEX"},   {'m', "Macintosh"},  {'R', "Runser"},
    {'T', "TownsOS"},  {'X', "XOSK"},   {'w', "Windows 95"}, {'W', "Windows NT"},
    {'J', "Java"},     {'A', "Amiga"},  {'a', "Atari ST"},
};

constexpr uint32_t kTypeBits = 0170000;
constexpr uint32_t kFolderType = 0040000;
constexpr uint32_t kLinkType = 0120000;
constexpr uint32_t kCharDeviceType = 0020000;
constexpr uint32_t kBlockDeviceType = 0060000;
constexpr uint32_t kPipeType = 0010000;
constexpr uint32_t kSocketType = 0140000;

// The letter ls shows for a file's type.
char typeLetter(uint32_t type) {
    switch (type) {
    case kFolderType:
        return 'd';
    case kLinkType:
        return 'l';
    case kCharDeviceType:
        return 'c';
    case kBlockDeviceType:
        return 'b';
    case kPipeType:
        return 'p';
    case kSocketType:
        return 's';
    }
    return '-';
}

std::string formatTime(int64_t seconds, const char *format, bool utc) {
    const time_t t = static_cast<time_t>(seconds);
    std::tm tm{};
    if (utc)
        gmtime_r(&t, &tm);
    else
        localtime_r(&t, &tm);
    char text[40];
    std::strftime(text, sizeof text, format, &tm);
    return text;
}

} // namespace

std::string osName(char osId) {
    for (const auto &os : kOsLetters)
        if (os.id == osId)
            return os.name;
    const auto byte = static_cast<unsigned char>(osId);
    if (byte >= 0x20 && byte < 0x7F)
        return std::string("'") + osId + "'";
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", byte);
    return text;
}

std::string permissions(const lha::MemberInfo &member) {
    if (!member.unixMode)
        return {};
    const uint32_t mode = *member.unixMode;
    // A mode that carries no type bits still shows the member's kind.
    char type = typeLetter(mode & kTypeBits);
    if (type == '-')
        type = member.kind == lha::MemberKind::Directory ? 'd'
               : member.kind == lha::MemberKind::Symlink ? 'l'
                                                         : '-';
    std::string text(1, type);
    static constexpr char kLetters[] = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit)
        text += (mode & (0400u >> bit)) ? kLetters[bit] : '-';
    return text;
}

std::string localTime(const std::optional<int64_t> &mtime, bool withSeconds) {
    if (!mtime)
        return withSeconds ? "-------------------" : "----------------";
    return formatTime(*mtime, withSeconds ? "%Y-%m-%d %H:%M:%S" : "%Y-%m-%d %H:%M", false);
}

std::string utcTime(const std::optional<int64_t> &mtime) {
    return mtime ? formatTime(*mtime, "%Y-%m-%dT%H:%M:%SZ", true) : std::string();
}

std::string crcText(const lha::MemberInfo &member) {
    if (!member.crcStored)
        return "----";
    char text[8];
    std::snprintf(text, sizeof text, "%04x", member.crc);
    return text;
}

std::string shownName(const lha::MemberInfo &member) {
    std::string name = lha::printable(member.name);
    if (member.kind == lha::MemberKind::Directory && !name.ends_with('/'))
        name += "/";
    else if (member.kind == lha::MemberKind::Symlink)
        name += " -> " + lha::printable(member.linkTarget);
    return name;
}

} // namespace unlha
