// SPDX-License-Identifier: MIT
#include "run_unlha.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace unlha::testing {
namespace {

[[noreturn]] void execUnlha(const std::vector<std::string> &args,
                            const std::filesystem::path &folder) {
    std::signal(SIGPIPE, SIG_DFL);
    if (::chdir(folder.c_str()) != 0)
        ::_exit(127);
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(UNLHA_PATH));
    for (const auto &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(UNLHA_PATH, argv.data());
    ::_exit(127);
}

bool replaceWithFile(int stream, const std::filesystem::path &file, int flags) {
    const int fd = ::open(file.c_str(), flags | O_CLOEXEC, 0644);
    return fd >= 0 && ::dup2(fd, stream) == stream;
}

int exitStatus(int pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

Finished runUnlha(const std::vector<std::string> &args, const std::filesystem::path &folder,
                  const std::string &input, const Redirects &redirects) {
    int in[2], out[2], err[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0)
        std::abort();
    const int pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            ::close(fd);
        if (!redirects.input.empty() && !replaceWithFile(0, redirects.input, O_RDONLY))
            ::_exit(127);
        if (!redirects.output.empty() &&
            !replaceWithFile(1, redirects.output, O_WRONLY | O_CREAT | O_TRUNC))
            ::_exit(127);
        execUnlha(args, folder);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    // Inputs the pipe takes whole, or that the child reads to the end
    // before it writes anything.
    // A child that ends without reading it all closes the pipe: EPIPE, not
    // SIGPIPE, which is ignored here and restored in the child.
    std::signal(SIGPIPE, SIG_IGN);
    for (std::size_t done = 0; done < input.size();) {
        const ssize_t n = ::write(in[1], input.data() + done, input.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EPIPE)
            break;
        if (n <= 0)
            std::abort();
        done += static_cast<std::size_t>(n);
    }
    ::close(in[1]);
    Finished finished;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string *sinks[2] = {&finished.out, &finished.err};
    int open = 2;
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[65536];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    finished.status = exitStatus(pid);
    return finished;
}

TerminalRun::TerminalRun(const std::vector<std::string> &args, const std::filesystem::path &folder,
                         unsigned short columns) {
    winsize size{};
    size.ws_row = 24;
    size.ws_col = columns;
    m_pid = ::forkpty(&m_master, nullptr, nullptr, &size);
    if (m_pid == 0)
        execUnlha(args, folder);
    if (m_pid < 0)
        std::abort();
}

TerminalRun::~TerminalRun() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        exitStatus(m_pid);
    }
    if (m_master >= 0)
        ::close(m_master);
}

bool TerminalRun::readSome(int timeoutMs) {
    pollfd fd{m_master, POLLIN, 0};
    if (::poll(&fd, 1, timeoutMs) <= 0)
        return false;
    char buffer[4096];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n <= 0)
        return false; // the child closed its side
    m_screen.append(buffer, static_cast<std::size_t>(n));
    return true;
}

bool TerminalRun::waitFor(const std::string &text, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (m_screen.find(text) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !readSome(static_cast<int>(left.count())))
            return false;
    }
    return true;
}

void TerminalRun::type(const std::string &text) {
    if (::write(m_master, text.data(), text.size()) < 0)
        std::abort();
}

int TerminalRun::finish() {
    while (readSome(30000)) {
    }
    const int status = exitStatus(m_pid);
    m_pid = -1;
    return status;
}

} // namespace unlha::testing
