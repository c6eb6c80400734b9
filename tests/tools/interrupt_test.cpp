// SPDX-License-Identifier: MIT
// An interrupted unlha leaves no partial file under a member's name, nor
// its temporary file, and ends by the signal it was sent.
#include "archive_builder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char **environ;

namespace {

namespace fs = std::filesystem;
using lha::testing::Member;
using lha::testing::TempDir;

// The child is writing first.bin: under a temporary name in the folder, or
// unnamed, when only its open descriptor shows the file (as "#inode").
bool writingStarted(pid_t child, const fs::path &folder) {
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(folder, ec))
        if (entry.path().filename().string().rfind(".first.bin.", 0) == 0)
            return true;
    const fs::path fds = "/proc/" + std::to_string(child) + "/fd";
    for (const auto &entry : fs::directory_iterator(fds, ec)) {
        const std::string target = fs::read_symlink(entry.path(), ec).string();
        if (target.rfind((folder / "#").string(), 0) == 0)
            return true;
    }
    return false;
}

TEST(Interrupt, TheFileBeingWrittenIsRemoved) {
    TempDir sandbox;
    const std::string data(48 << 20, 'd');
    lha::testing::writeFile(
        sandbox / "a.lzh",
        lha::testing::buildArchive({Member{"first.bin", data}, Member{"second.bin", data}}));
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        const fs::path dest = sandbox / "dest";
        fs::remove_all(dest);
        fs::create_directory(dest);
        const std::string archive = (sandbox / "a.lzh").string();
        const std::string target = dest.string() + "/";
        char *argv[] = {const_cast<char *>(UNLHA_PATH), const_cast<char *>("e"),
                        const_cast<char *>(archive.c_str()), const_cast<char *>(target.c_str()),
                        nullptr};
        pid_t child = 0;
        ASSERT_EQ(posix_spawn(&child, UNLHA_PATH, nullptr, nullptr, argv, environ), 0);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!writingStarted(child, dest) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        kill(child, signal);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_TRUE(lha::testing::treeOf(dest).empty());
    }
}

} // namespace
