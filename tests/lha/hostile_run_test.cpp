// SPDX-License-Identifier: MIT
// Runs that meet a hostile destination: failures that concern one member,
// a disk that fills up, an interrupted write, a folder that was there
// before, an archive that is not a regular file.
#include "archive_builder.h"
#include "destination.h"
#include "lha/lha.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using lha::testing::buildArchive;
using lha::testing::Member;
using lha::testing::TempDir;

// Files may grow no larger than `bytes` while it lives, and a write past
// that fails (EFBIG) instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_oldHandler(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};

TEST(HostileRun, OnlyAFullDiskAQuotaOrAReadOnlyFileSystemStopTheRun) {
    const struct {
        int error;
        bool fatal;
    } cases[] = {{ENOSPC, true},   {EDQUOT, true}, {EROFS, true},   {EACCES, false},
                 {EPERM, false},   {EFBIG, false}, {EEXIST, false}, {ENAMETOOLONG, false},
                 {ENOTDIR, false}, {EISDIR, false}};
    for (const auto &c : cases)
        EXPECT_EQ(lha::writeFailure(c.error, "x").fatal, c.fatal) << c.error;
}

TEST(HostileRun, AFailureThatConcernsOneMemberFailsThatMemberOnly) {
    TempDir sandbox;
    fs::create_directory(sandbox / "dest");
    lha::testing::writeFile(sandbox / "dest" / "locked", "a file where a folder should be");
    lha::testing::writeFile(sandbox / "dest" / "big.bin", "old content");
    lha::testing::writeFile(
        sandbox / "a.lzh",
        buildArchive({Member{"locked/x.txt", "x"}, Member{std::string(300, 'n') + ".txt", "n"},
                      Member{"big.bin", std::string(300000, 'b')}, Member{"free.txt", "free"}}));
    lha::ExtractOptions options;
    options.overwrite = [](const lha::MemberInfo &) { return lha::OverwriteDecision::ReplaceAll; };
    // A file size limit fails the large member alone.
    const auto result = [&] {
        const FileSizeLimit limit(100000);
        return lha::extract(sandbox / "a.lzh", sandbox / "dest", options);
    }();

    EXPECT_EQ(result.error, lha::Error::None) << result.message;
    ASSERT_EQ(result.members.size(), 4u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(result.members[i].error, lha::Error::WriteFailed) << result.members[i].name;
    EXPECT_EQ(result.members[3].error, lha::Error::None);
    EXPECT_EQ(lha::testing::readFile(sandbox / "dest" / "free.txt"), "free");
    EXPECT_EQ(lha::testing::readFile(sandbox / "dest" / "big.bin"), "old content");
    EXPECT_EQ(lha::testing::treeOf(sandbox / "dest"),
              (std::vector<std::string>{"big.bin", "free.txt", "locked"}));
}

// A small member is decoded and checked before its file is made, then made
// under its name at once: one that fails its check leaves no file and no
// folder, and one whose writing fails leaves no partial file behind.
TEST(HostileRun, ASmallMemberIsWrittenOnlyOnceCheckedAndWhollyOrNotAtAll) {
    TempDir sandbox;
    Member damaged{"sub/bad.txt", "bad"};
    damaged.crc = 1;
    lha::testing::writeFile(sandbox / "a.lzh",
                            buildArchive({damaged, Member{"over.bin", std::string(150000, 'o')},
                                          Member{"fine.txt", "fine"}}));
    const auto result = [&] {
        const FileSizeLimit limit(100000);
        return lha::extract(sandbox / "a.lzh", sandbox / "dest");
    }();

    ASSERT_EQ(result.members.size(), 3u);
    EXPECT_EQ(result.members[0].error, lha::Error::Damaged);
    EXPECT_EQ(result.members[1].error, lha::Error::WriteFailed);
    EXPECT_EQ(result.members[2].error, lha::Error::None);
    EXPECT_EQ(lha::testing::treeOf(sandbox / "dest"), std::vector<std::string>{"fine.txt"});
}

// A full disk stops the run, and every member not extracted is named. A
// small tmpfs in a mount namespace of a child process is the full disk;
// without the right to mount, the test is skipped.
TEST(HostileRun, AFullDiskStopsTheRunAndNamesEveryMemberLeft) {
    TempDir sandbox;
    fs::create_directory(sandbox / "dest");
    lha::testing::writeFile(
        sandbox / "a.lzh",
        buildArchive({Member{"small.txt", "s"}, Member{"big.bin", std::string(1 << 20, 'b')},
                      Member{"after1.txt", "1"}, Member{"after2.txt", "2"}}));
    const fs::path summary = sandbox / "summary";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("none", (sandbox / "dest").c_str(), "tmpfs", 0, "size=256k") != 0)
            _exit(77);
        const auto result = lha::extract(sandbox / "a.lzh", sandbox / "dest");
        std::string text = std::to_string(static_cast<int>(result.error)) + "\n";
        for (const auto &m : result.members)
            text += m.name + " " + std::to_string(static_cast<int>(m.error)) + "\n";
        for (const auto &name : lha::testing::treeOf(sandbox / "dest"))
            text += "file " + name + "\n";
        lha::testing::writeFile(summary, text);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "cannot mount a small file system here";
    const int written = static_cast<int>(lha::Error::WriteFailed);
    EXPECT_EQ(lha::testing::readFile(summary), std::to_string(written) + "\nsmall.txt 0\nbig.bin " +
                                                   std::to_string(written) + "\nafter1.txt " +
                                                   std::to_string(written) + "\nafter2.txt " +
                                                   std::to_string(written) + "\nfile small.txt\n");
}

// While a file is written it is unnamed, or under a hidden temporary name
// where the file system cannot create unnamed files; never under its own.
TEST(HostileRun, AFileTakesItsNameOnlyOnceItChecksOut) {
    TempDir sandbox;
    lha::testing::writeFile(sandbox / "a.lzh",
                            buildArchive({Member{"large.bin", std::string(3000000, 'z')}}));
    lha::ExtractOptions options;
    int seenWhileWriting = 0;
    options.progress = [&](const lha::Progress &p) {
        if (p.done == 0 || p.done == p.total)
            return;
        ++seenWhileWriting;
        const auto tree = lha::testing::treeOf(sandbox / "dest");
        EXPECT_FALSE(fs::exists(sandbox / "dest" / "large.bin"));
        EXPECT_LE(tree.size(), 1u);
        for (const auto &name : tree)
            EXPECT_EQ(name.rfind(".large.bin.", 0), 0u) << name;
    };
    const auto result = lha::extract(sandbox / "a.lzh", sandbox / "dest", options);
    EXPECT_TRUE(result.ok()) << result.message;
    EXPECT_GT(seenWhileWriting, 0);
    EXPECT_EQ(lha::testing::treeOf(sandbox / "dest"), std::vector<std::string>{"large.bin"});
}

TEST(HostileRun, AFolderThatWasThereBeforeKeepsItsModeAndTime) {
    TempDir sandbox;
    const fs::path theirs = sandbox / "dest" / "c";
    fs::create_directories(theirs);
    lha::testing::writeFile(theirs / "theirs.txt", "someone else's");
    chmod(theirs.c_str(), 0751);
    const timespec before[2] = {{1500000000, 0}, {1500000000, 0}};
    utimensat(AT_FDCWD, theirs.c_str(), before, 0);
    auto folder = [](const char *name, uint16_t mode) {
        Member m{name, ""};
        m.method = "-lhd-";
        m.unixMode = mode;
        return m;
    };
    lha::testing::writeFile(sandbox / "a.lzh",
                            buildArchive({folder("c", 040000), folder("n", 040700)}));
    const auto result = lha::extract(sandbox / "a.lzh", sandbox / "dest");
    EXPECT_TRUE(result.ok()) << result.message;
    struct stat st {};
    ASSERT_EQ(stat(theirs.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0751u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1500000000);
    // A folder this run made takes the archive's mode and time.
    ASSERT_EQ(stat((sandbox / "dest" / "n").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_mtim.tv_sec, Member("", "").time);
}

// Opening a FIFO for reading waits for a writer; the engine must neither
// wait nor read it.
TEST(HostileRun, AnArchiveThatIsNotARegularFileIsRefusedAtOnce) {
    TempDir sandbox;
    const fs::path fifo = sandbox / "pipe.lzh";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::function<lha::Result()> calls[] = {
        [&] {
            std::vector<lha::MemberInfo> members;
            return lha::list(fifo, members);
        },
        [&] { return lha::test(fifo); },
        [&] { return lha::extract(fifo, sandbox / "dest"); },
    };
    for (const auto &call : calls) {
        auto running = std::async(std::launch::async, call);
        if (running.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ADD_FAILURE() << "blocked on the FIFO";
            close(open(fifo.c_str(), O_WRONLY | O_NONBLOCK)); // lets it go
        }
        EXPECT_EQ(running.get().error, lha::Error::ArchiveUnreadable);
    }
    EXPECT_FALSE(fs::exists(sandbox / "dest"));
}

} // namespace
