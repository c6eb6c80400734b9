// SPDX-License-Identifier: MIT
#pragma once
// How one extraction meets its caller: silently, or with windows over an
// owner. Each kind runs the engine and says whether the user answered the
// overwrite questions.
#include "command.h"
#include "lha/lha.h"

#include <filesystem>
#include <functional>

namespace unlha {

// The engine's extract call; sessions take it as a parameter so that tests
// can hold the engine at a chosen moment.
using Engine = std::function<lha::Result(const std::filesystem::path &archive,
                                         const std::filesystem::path &destination,
                                         const lha::ExtractOptions &options)>;

Engine defaultEngine();

class Session {
public:
    virtual ~Session() = default;
    virtual lha::Result extract(const unlha::Command &command) = 0;
    // True when existing files were offered to the user instead of skipped.
    virtual bool asksBeforeReplacing() const = 0;
    // Tells the user what failed, when there is a user to tell: the
    // extraction's result and the code it gives, or no result for a command
    // that could not be read.
    virtual void showFailures(const lha::Result &result, int code) = 0;
};

// No windows: existing files are never replaced, only reported.
class SilentSession : public Session {
public:
    explicit SilentSession(Engine engine = defaultEngine());
    lha::Result extract(const unlha::Command &command) override;
    bool asksBeforeReplacing() const override { return false; }
    // The caller reads the report.
    void showFailures(const lha::Result &, int) override {}

private:
    Engine m_engine;
};

} // namespace unlha
