// SPDX-License-Identifier: MIT
// Our extraction against lhasa's and 7-Zip's, wherever they succeed: every
// file both produce under the same name must have the same content, and a
// file the peer produces that we do not must be one we reported as failed.
// Peers that are not installed are skipped.
#include "archive_builder.h"
#include "corpus.h"
#include "lha/lha.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>

namespace {

namespace fs = std::filesystem;
using lha::testing::TempDir;

bool installed(const std::string &tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string quoted(const fs::path &p) {
    std::string out = "'";
    for (char c : p.string())
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string folded(std::string s) {
    for (auto &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Regular files under root by relative path, case folded (peers differ in
// how they case old MS-DOS names).
std::map<std::string, fs::path> filesUnder(const fs::path &root) {
    std::map<std::string, fs::path> out;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it)
        if (!it->is_symlink() && it->is_regular_file())
            out[folded(fs::relative(it->path(), root).string())] = it->path();
    return out;
}

std::vector<fs::path> archives() {
    std::vector<fs::path> out;
    for (const auto &e : fs::directory_iterator(fs::path(HOKORA_TEST_DATA_DIR) / "archives"))
        out.push_back(e.path());
    if (fs::is_directory(lha::testing::kCorpus))
        for (const auto &e : fs::recursive_directory_iterator(lha::testing::kCorpus)) {
            const auto ext = e.path().extension();
            if (ext == ".lzh" || ext == ".lzs" || ext == ".pma")
                out.push_back(e.path());
        }
    std::sort(out.begin(), out.end());
    return out;
}

void compareWith(const std::string &tool, const std::string &commandFormat) {
    if (!installed(tool))
        GTEST_SKIP() << tool << " is not installed";
    int compared = 0;
    for (const auto &archive : archives()) {
        TempDir theirs;
        TempDir ours;
        std::string command = commandFormat;
        command.replace(command.find("{dir}"), 5, quoted(theirs.path()));
        command.replace(command.find("{archive}"), 9, quoted(archive));
        if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
            continue; // compare only where the peer succeeds
        const auto result = lha::extract(archive, ours.path());
        std::size_t reported = result.error != lha::Error::None;
        for (const auto &m : result.members)
            reported += m.error != lha::Error::None;
        const auto ourFiles = filesUnder(ours.path());
        std::vector<std::string> ourContents;
        for (const auto &[name, path] : ourFiles)
            ourContents.push_back(lha::testing::readFile(path));
        std::size_t missing = 0;
        for (const auto &[name, path] : filesUnder(theirs.path())) {
            const auto theirContent = lha::testing::readFile(path);
            const auto mine = ourFiles.find(name);
            if (mine != ourFiles.end()) {
                EXPECT_EQ(lha::testing::readFile(mine->second), theirContent)
                    << tool << ": " << archive << ": " << name;
                ++compared;
            } else if (std::find(ourContents.begin(), ourContents.end(), theirContent) ==
                           ourContents.end() &&
                       !fs::is_directory(ours / fs::relative(path, theirs.path()).string())) {
                // Not even under another name (peers decode some names
                // differently), nor as the folder that some peers write as
                // an empty file: we must have said why.
                ++missing;
            }
        }
        EXPECT_LE(missing, reported) << tool << ": " << archive
                                     << ": files the peer extracted that we neither wrote nor "
                                        "reported as failed";
    }
    EXPECT_GT(compared, 50) << tool;
}

TEST(Peers, ExtractionMatchesLhasa) {
    compareWith("lhasa", "cd {dir} && lhasa xqf {archive}");
}

TEST(Peers, ExtractionMatches7Zip) {
    compareWith("7zz", "7zz x -y -o{dir} {archive}");
}

} // namespace
