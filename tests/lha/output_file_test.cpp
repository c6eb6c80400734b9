// SPDX-License-Identifier: MIT
// Every way of creating a file (unnamed then linked by its descriptor,
// unnamed then linked through /proc, under a temporary name then renamed)
// leaves the same result: content, mode and time under the member's name,
// nothing else, and what had the name kept unless replaced.
#include "archive_builder.h"
#include "destination.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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

} // namespace
