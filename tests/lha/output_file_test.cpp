// SPDX-License-Identifier: MIT
// Every way of creating a file (unnamed then linked by its descriptor,
// unnamed then linked through /proc, under a temporary name then renamed)
// leaves the same result: content, mode and time under the member's name,
// nothing else, and what had the name kept unless replaced. Every path
// reaches its own folder.
#include "archive_builder.h"
#include "destination.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using lha::OutputFile;
using lha::testing::readFile;
using lha::testing::TempDir;
using lha::testing::treeOf;

struct Way {
    const char *name;
    bool unnamed;
    bool linkByDescriptor;
};

constexpr Way kWays[] = {
    {"unnamed, linked by descriptor", true, true},
    {"unnamed, linked through /proc", true, false},
    {"temporary name", false, false},
};

OutputFile::Committed writeOne(lha::Destination &destination, const std::string &name,
                               const std::string &content, OutputFile &out) {
    lha::WriteFailure failure;
    const timespec mtime{981173106, 0};
    const int folder = destination.folderOf({name}, failure);
    if (!out.create(folder, name, 0640, destination.fileCreation(), failure))
        return OutputFile::Committed::Failed;
    if (!out.write(reinterpret_cast<const uint8_t *>(content.data()), content.size(), failure))
        return OutputFile::Committed::Failed;
    return out.commit(mtime, std::nullopt, failure);
}

TEST(OutputFile, EveryWayOfCreatingLeavesTheSameResult) {
    for (const Way &way : kWays) {
        SCOPED_TRACE(way.name);
        TempDir dir;
        std::string why;
        auto destination = lha::Destination::open(dir.path(), why);
        ASSERT_TRUE(destination) << why;
        destination->fileCreation() = {way.unnamed, way.linkByDescriptor};

        OutputFile first;
        ASSERT_EQ(writeOne(*destination, "a.txt", "first", first), OutputFile::Committed::Ok);
        EXPECT_EQ(readFile(dir / "a.txt"), "first");
        struct stat st {};
        ASSERT_EQ(stat((dir / "a.txt").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640 & ~destination->umask());
        EXPECT_EQ(st.st_mtim.tv_sec, 981173106);

        // The name is taken: nothing changes until the caller says replace.
        OutputFile kept;
        ASSERT_EQ(writeOne(*destination, "a.txt", "second", kept), OutputFile::Committed::Exists);
        kept.discard();
        EXPECT_EQ(readFile(dir / "a.txt"), "first");
        EXPECT_EQ(treeOf(dir.path()), std::vector<std::string>{"a.txt"});

        OutputFile replacing;
        ASSERT_EQ(writeOne(*destination, "a.txt", "third", replacing),
                  OutputFile::Committed::Exists);
        lha::WriteFailure failure;
        ASSERT_TRUE(replacing.replace(failure)) << failure.message;
        EXPECT_EQ(readFile(dir / "a.txt"), "third");

        // A folder is never replaced by a file.
        fs::create_directory(dir / "sub");
        OutputFile overFolder;
        ASSERT_EQ(writeOne(*destination, "sub", "x", overFolder), OutputFile::Committed::Exists);
        EXPECT_FALSE(overFolder.replace(failure));
        EXPECT_EQ(failure.error, lha::Error::Exists);
        EXPECT_TRUE(fs::is_directory(dir / "sub"));

        // Abandoned while being written: nothing is left at all.
        {
            OutputFile abandoned;
            const int folder = destination->folderOf({"b.txt"}, failure);
            ASSERT_TRUE(
                abandoned.create(folder, "b.txt", 0644, destination->fileCreation(), failure));
            ASSERT_TRUE(abandoned.write(reinterpret_cast<const uint8_t *>("partial"), 7, failure));
        }
        EXPECT_EQ(treeOf(dir.path()), (std::vector<std::string>{"a.txt", "sub"}));
        // The way asked for is the way taken, on a file system that has it.
        EXPECT_EQ(destination->fileCreation().unnamed, way.unnamed);
    }
}

// A large member decoded ahead of its turn is written to an unnamed file in
// the destination before its folder is known. Placed in a folder of the
// same file system it is linked there; on another one (here tmpfs against
// the test's folder, when they differ) it is copied. Either way the member
// gets its content, mode and time under its name, and a spooled file never
// placed leaves nothing.
TEST(OutputFile, ASpooledFileTakesItsPlaceOnThisOrAnotherFileSystem) {
    TempDir dir;
    std::string why;
    auto destination = lha::Destination::open(dir.path(), why);
    ASSERT_TRUE(destination) << why;
    fs::create_directory(dir / "sub");
    const std::string content(300 * 1024, 'q');
    lha::WriteFailure failure;
    const int sub = destination->folderOf({"sub", "x"}, failure);
    ASSERT_GE(sub, 0) << failure.message;

    // tmpfs, where there is one: another file system than the test's folder.
    TempDir elsewhere(fs::is_directory("/dev/shm") ? fs::path("/dev/shm")
                                                   : fs::temp_directory_path());
    auto other = lha::Destination::open(elsewhere.path(), why);
    ASSERT_TRUE(other) << why;
    for (const int spoolFolder : {destination->root(), other->root()}) {
        const std::string name = spoolFolder == destination->root() ? "same" : "other";
        OutputFile out;
        if (!out.spool(spoolFolder, failure))
            GTEST_SKIP() << "no unnamed files here: " << failure.message;
        ASSERT_TRUE(
            out.write(reinterpret_cast<const uint8_t *>(content.data()), content.size(), failure));
        ASSERT_TRUE(out.place(sub, name, 0640, destination->fileCreation(), failure))
            << failure.message;
        ASSERT_EQ(out.commit(timespec{981173106, 0}, std::nullopt, failure),
                  OutputFile::Committed::Ok)
            << failure.message;
        EXPECT_EQ(readFile(dir / "sub" / name), content) << name;
        struct stat st {};
        ASSERT_EQ(stat((dir / "sub" / name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u) << name;
        EXPECT_EQ(st.st_mtim.tv_sec, 981173106) << name;
    }
    {
        OutputFile unplaced;
        ASSERT_TRUE(unplaced.spool(destination->root(), failure));
        ASSERT_TRUE(unplaced.write(reinterpret_cast<const uint8_t *>("x"), 1, failure));
    }
    EXPECT_EQ(treeOf(dir.path()), (std::vector<std::string>{"sub", "sub/other", "sub/same"}));
    EXPECT_TRUE(treeOf(elsewhere.path()).empty());
}

// Members come folder by folder, and the folders along the last path stay
// open: a path that parts from the last one, goes back to an earlier folder
// or runs deeper than the folders kept open must still reach its own folder,
// and only the folders this run made count as its own.
TEST(Destination, EveryPathReachesItsFolderFromThoseKeptOpen) {
    TempDir dir;
    fs::create_directories(dir / "old" / "x");
    std::string why;
    auto destination = lha::Destination::open(dir.path(), why);
    ASSERT_TRUE(destination) << why;
    std::vector<std::string> deep;
    for (int i = 0; i < 70; ++i)
        deep.push_back("d" + std::to_string(i));
    const auto under = [](std::vector<std::string> folders, std::size_t depth, std::string name) {
        folders.resize(depth);
        folders.push_back(std::move(name));
        return folders;
    };
    const std::vector<std::vector<std::string>> paths = {
        {"a", "b", "one"},        {"a", "c", "two"},
        {"a", "b", "three"},      {"a", "four"},
        {"old", "x", "five"},     {"six"},
        under(deep, 70, "seven"), under(deep, 66, "eight"),
        under(deep, 70, "nine"),  under(deep, 3, "ten"),
        {"a", "b", "eleven"},
    };
    for (const auto &path : paths) {
        lha::WriteFailure failure;
        const int folder = destination->folderOf(path, failure);
        ASSERT_GE(folder, 0) << failure.message;
        const int fd = ::openat(folder, path.back().c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0) << path.back();
        ::close(fd);
    }
    for (const auto &path : paths) {
        fs::path expected = dir.path();
        for (const auto &part : path)
            expected /= part;
        EXPECT_TRUE(fs::is_regular_file(expected)) << expected;
    }
    EXPECT_TRUE(destination->created({"a", "b"}));
    EXPECT_TRUE(destination->created(deep));
    EXPECT_FALSE(destination->created({"old"}));
    EXPECT_FALSE(destination->created({"old", "x"}));
    lha::WriteFailure failure;
    // Deeper than the files a process may have open allow, were every
    // folder along the path kept open.
    std::vector<std::string> deeper(200, "e");
    deeper.push_back("twelve");
    rlimit files{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &files), 0);
    const auto open = static_cast<rlim_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{}));
    rlimit fewer = files;
    fewer.rlim_cur = std::min(files.rlim_cur, open + 80);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &fewer), 0);
    const int deepest = destination->folderOf(deeper, failure);
    ::setrlimit(RLIMIT_NOFILE, &files);
    EXPECT_GE(deepest, 0) << failure.message;
    EXPECT_LT(destination->folder({"a", "missing", "y"}, 3, false, failure), 0);
    EXPECT_FALSE(fs::exists(dir / "a" / "missing"));
    EXPECT_GE(destination->folder({"a", "c"}, 2, false, failure), 0);
}

} // namespace
