// SPDX-License-Identifier: MIT
#include "session.h"

#include <utility>

namespace unlha {

Engine defaultEngine() {
    return [](const std::filesystem::path &archive, const std::filesystem::path &destination,
              const lha::ExtractOptions &options) {
        return lha::extract(archive, destination, options);
    };
}

SilentSession::SilentSession(Engine engine) : m_engine(std::move(engine)) {}

lha::Result SilentSession::extract(const unlha::Command &command) {
    // Without an overwrite callback the engine keeps every existing file.
    return m_engine(command.archive, command.destination, lha::ExtractOptions{});
}

} // namespace unlha
