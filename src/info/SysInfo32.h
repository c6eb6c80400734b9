// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>

namespace ui {
class Platform;
}

// The two system facts the About window shows. A failed query gives an empty
// text, never an error.
namespace SysInfo32 {

// The system's build number as decimal text; on Linux the kernel's build
// count, the number after '#' in uname()'s version field.
QString GetWindowsBuild(ui::Platform &platform);
// The name of the user running the program.
QString GetUserNameText(ui::Platform &platform);

// The low 16 bits of a build number field, as decimal text.
QString buildNumberText(std::uint64_t field);
// The number after the first '#' of a kernel version text, if it has one.
std::optional<std::uint64_t> kernelBuildCount(std::string_view version);
// A user name in the locale's character set; empty when it would not fit a
// 128-byte buffer with its terminating NUL.
QString userNameText(std::string_view name);

} // namespace SysInfo32
