// SPDX-License-Identifier: MIT
#pragma once
// Starts the unlha program as a child process: with pipes, as scripts run
// it, or on a pseudo-terminal, as a person at a terminal does.
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace unlha::testing {

struct Finished {
    int status = -1; // the exit status, -1 when killed by a signal
    std::string out;
    std::string err;
};

// Files in place of the pipes to the child.
struct Redirects {
    std::filesystem::path input;  // read as standard input instead of `input`
    std::filesystem::path output; // written as standard output; out stays empty
};

// Runs unlha in `folder` with `input` on its standard input.
Finished runUnlha(const std::vector<std::string> &args, const std::filesystem::path &folder,
                  const std::string &input = {}, const Redirects &redirects = {});

// unlha with all three standard streams on one pseudo-terminal.
class TerminalRun {
public:
    TerminalRun(const std::vector<std::string> &args, const std::filesystem::path &folder,
                unsigned short columns = 80);
    ~TerminalRun();
    TerminalRun(const TerminalRun &) = delete;
    TerminalRun &operator=(const TerminalRun &) = delete;

    // Reads until `text` has appeared; false when the time runs out first or
    // the terminal closes.
    bool waitFor(const std::string &text,
                 std::chrono::milliseconds limit = std::chrono::seconds(30));
    void type(const std::string &text);
    // Reads to the end and returns the exit status.
    int finish();
    // Everything the program wrote to the terminal so far.
    const std::string &screen() const { return m_screen; }

private:
    bool readSome(int timeoutMs);

    int m_master = -1;
    int m_pid = -1;
    std::string m_screen;
};

} // namespace unlha::testing
