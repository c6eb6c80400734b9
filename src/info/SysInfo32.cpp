// SPDX-License-Identifier: MIT
#include "SysInfo32.h"

#include "ui/Platform.h"

#include <cctype>
#include <limits>

#ifdef _WIN32
#include <windows.h>
#endif

namespace SysInfo32 {

namespace {

constexpr std::size_t kUserNameBufferSize = 128;

} // namespace

QString buildNumberText(std::uint64_t field) {
    return QString::number(field & 0xFFFFu);
}

std::optional<std::uint64_t> kernelBuildCount(std::string_view version) {
    const std::size_t hash = version.find('#');
    if (hash == std::string_view::npos)
        return std::nullopt;
    std::size_t at = hash + 1;
    if (at >= version.size() || !std::isdigit(static_cast<unsigned char>(version[at])))
        return std::nullopt;
    std::uint64_t value = 0;
    for (; at < version.size() && std::isdigit(static_cast<unsigned char>(version[at])); ++at) {
        const unsigned digit = static_cast<unsigned>(version[at] - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

QString userNameText(std::string_view name) {
    if (name.size() + 1 > kUserNameBufferSize)
        return QString();
    return QString::fromLocal8Bit(name.data(), static_cast<qsizetype>(name.size()));
}

#ifdef _WIN32

QString GetWindowsBuild(ui::Platform &) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (GetVersionExA(&info) > 0)
        return buildNumberText(info.dwBuildNumber);
    return QString();
}

QString GetUserNameText(ui::Platform &) {
    char buffer[kUserNameBufferSize] = {};
    DWORD size = kUserNameBufferSize;
    if (GetUserNameA(buffer, &size) > 0)
        return QString::fromLocal8Bit(buffer);
    return QString();
}

#else

QString GetWindowsBuild(ui::Platform &platform) {
    const std::optional<std::string> version = platform.kernelVersion();
    if (!version)
        return QString();
    const std::optional<std::uint64_t> count = kernelBuildCount(*version);
    return count ? buildNumberText(*count) : QString();
}

QString GetUserNameText(ui::Platform &platform) {
    const std::optional<std::string> name = platform.effectiveUserName();
    return name ? userNameText(*name) : QString();
}

#endif

} // namespace SysInfo32
