// SPDX-License-Identifier: MIT
// The report a caller gets back: names shown as the unlha tool shows them,
// and the reading of an ambiguous command said in it; what the report window
// lists for the user.
#include "failure_list.h"
#include "fixtures.h"
#include "run.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

using namespace fixtures;

TEST(Report, RefusedNamesAreEscapedAndNeverCutTheReportShort) {
    const struct {
        std::string name;
        const char *shown; // how the report must show it
    } cases[] = {
        {"../\x1b]0;title\x07x.txt", "%1B]0;title%07x.txt"},
        {"../\xc2\x9b"
         "31mred.txt",
         "../%C2%9B31mred.txt"},
        {"../gpj\xe2\x80\xae.exe", "../gpj%E2%80%AE.exe"},
        {std::string("../nul\0after.txt", 16), "../nul%00after.txt"},
    };
    for (const auto &c : cases) {
        TempDir dir;
        writeFile(dir / "a.lzh",
                  buildArchive({Member{c.name, "refused"}, Member{"fine.txt", "fine"}}));
        const auto call = callUnlha(extractCommand(dir / "a.lzh", dir / "out"));
        EXPECT_EQ(call.code, UNLHA_ERROR_UNSAFE_NAME) << call.report;
        EXPECT_NE(call.report.find(c.shown), std::string::npos) << call.report;
        for (const char ch : call.report)
            EXPECT_TRUE(ch == '\n' || static_cast<unsigned char>(ch) >= 0x20) << int(ch);
        // The lines after the refused name are all there.
        EXPECT_NE(call.report.find("ok      fine.txt"), std::string::npos) << call.report;
        EXPECT_NE(call.report.find("result 9:"), std::string::npos) << call.report;
    }
}

// The command is quoted back as names are shown: no control byte of it
// reaches the caller.
TEST(Report, TheCommandIsQuotedBackEscaped) {
    const struct {
        std::string command;
        const char *shown;
    } cases[] = {
        {"\x1b]0;PWN\x07 a.lzh out/", "unknown command: %1B]0;PWN%07"},
        {"\xc2\x9b"
         "31m a.lzh out/",
         "unknown command: %C2%9B31m"},
    };
    for (const auto &c : cases) {
        const auto call = callUnlha(c.command);
        EXPECT_EQ(call.code, UNLHA_ERROR_COMMAND) << call.report;
        EXPECT_NE(call.report.find(c.shown), std::string::npos) << call.report;
        for (std::size_t i = 0; i < call.report.size(); ++i) {
            const auto ch = static_cast<unsigned char>(call.report[i]);
            EXPECT_TRUE(ch == '\n' || (ch >= 0x20 && ch != 0x7F)) << int(ch);
            EXPECT_FALSE(ch == 0xC2 && static_cast<unsigned char>(call.report[i + 1]) < 0xA0);
        }
    }
}

// A member the engine could not decode for lack of memory gives the code
// the header promises for it.
TEST(Report, LackOfMemoryIsCodeTen) {
    TempDir dir;
    unlha::SilentSession session([](const fs::path &, const fs::path &,
                                    const lha::ExtractOptions &) {
        lha::Result result;
        result.add({"big.bin", lha::Error::OutOfMemory, lha::describe(lha::Error::OutOfMemory)});
        return result;
    });
    const auto outcome = unlha::run(extractCommand(kLh5, dir / "out"), session);
    EXPECT_EQ(outcome.code, UNLHA_ERROR_UNEXPECTED) << outcome.report;
    EXPECT_NE(outcome.report.find("big.bin: out of memory"), std::string::npos) << outcome.report;
}

// A report cut to the caller's buffer ends on a character boundary.
TEST(Report, ACutReportEndsOnACharacterBoundary) {
    const std::string command = "解凍 a.lzh out/";
    const auto full = callUnlha(command).report;
    ASSERT_NE(full.find("解凍"), std::string::npos) << full;
    for (uint32_t size = 1; size <= full.size() + 1; ++size) {
        std::string buffer(size, 'x');
        Unlha(0, command.c_str(), buffer.data(), size);
        const std::string cut(buffer.c_str());
        EXPECT_EQ(cut, full.substr(0, cut.size())) << size;
        EXPECT_GE(cut.size() + 3, std::min<std::size_t>(size - 1, full.size())) << size;
        if (cut.size() < full.size()) {
            EXPECT_NE(static_cast<unsigned char>(full[cut.size()]) & 0xC0, 0x80) << size;
        }
    }
}

// "e /a/A.LZH /a/B.LZH /d/" once made the folder tree "/a/B.LZH /d" and
// extracted into it. A missing destination is created only when its parent
// exists, and the report says how the line was read.
TEST(Report, ALineNamingTwoArchivesGrowsNoFolderTree) {
    TempDir dir;
    fs::copy_file(kLh5, dir / "A.LZH");
    fs::copy_file(kLh5, dir / "B.LZH");
    const auto a = (dir / "A.LZH").string();
    const auto b = (dir / "B.LZH").string();
    auto call = callUnlha("e " + a + " " + b + " " + (dir / "d").string() + "/");
    EXPECT_EQ(call.code, UNLHA_ERROR_WRITE) << call.report;
    EXPECT_NE(call.report.find("read as archive \"" + a + "\""), std::string::npos) << call.report;
    EXPECT_EQ(treeOf(dir.path()), (std::vector<std::string>{"A.LZH", "B.LZH"}));

    // A line with one reading says nothing about it.
    fs::create_directory(dir / "out");
    call = callUnlha("e " + a + " " + (dir / "out").string() + "/");
    EXPECT_EQ(call.code, UNLHA_OK) << call.report;
    EXPECT_EQ(call.report.find("read as"), std::string::npos) << call.report;
    EXPECT_TRUE(fs::exists(dir / "out" / "tiny.txt"));
}

TEST(Report, EveryCauseIsOneSentence) {
    for (int code = UNLHA_ERROR_COMMAND; code <= UNLHA_ERROR_UNEXPECTED + 1; ++code)
        EXPECT_TRUE(unlha::causeText(code).endsWith(QChar(u'。'))) << code;
}

TEST(Report, TheWindowListsEveryFailedMemberWithItsCause) {
    using lha::Error;
    const auto failed = [](const char *name, Error error, std::string message = "why") {
        return lha::MemberOutcome{name, error, std::move(message)};
    };
    const auto systemError = [](int error) { return std::string(": ") + std::strerror(error); };
    const std::string notReached = "not extracted: the run stopped before it";
    const QString check = QStringLiteral("解凍元ファイルと解凍先フォルダを確認してください。");
    const QString makeRoom = QStringLiteral("空き容量を増やしてから、もう一度解凍してください。");
    const QString damaged = QStringLiteral("解凍元ファイルが壊れています。");
    const QString cannotWrite = QStringLiteral("解凍先フォルダに書き込めません。");
    const struct {
        const char *what;
        lha::Result result;
        int code;
        QStringList summary;
        std::vector<std::pair<QString, QString>> rows;
    } cases[] = {
        {"one damaged member among good ones",
         {Error::None,
          "",
          {failed("a.txt", Error::None, ""), failed("docs/b.txt", Error::Damaged)}},
         UNLHA_ERROR_DAMAGED,
         {"1 個のファイルを解凍できませんでした。", check},
         {{"docs/b.txt", damaged}}},
        {"a full disk, and the members it left",
         {Error::WriteFailed,
          "big.bin: cannot write the file" + systemError(ENOSPC),
          {failed("small.txt", Error::None, ""),
           failed("big.bin", Error::WriteFailed, "cannot write the file" + systemError(ENOSPC)),
           failed("after1.txt", Error::WriteFailed, notReached),
           failed("after2.txt", Error::WriteFailed, notReached)}},
         UNLHA_ERROR_WRITE,
         {"3 個のファイルを解凍できませんでした。", makeRoom},
         {{"big.bin", "解凍先のディスクの空き容量が足りません。"},
          {"after1.txt", "空き容量が足りなくなったため、解凍しませんでした。"},
          {"after2.txt", "空き容量が足りなくなったため、解凍しませんでした。"}}},
        {"a read-only destination",
         {Error::WriteFailed,
          "a.txt: x",
          {failed("a.txt", Error::WriteFailed, "cannot create" + systemError(EROFS)),
           failed("b.txt", Error::WriteFailed, notReached)}},
         UNLHA_ERROR_WRITE,
         {"2 個のファイルを解凍できませんでした。", check},
         {{"a.txt", cannotWrite}, {"b.txt", "書き込めなくなったため、解凍しませんでした。"}}},
        {"no permission fails one member, and the run goes on",
         {Error::None,
          "",
          {failed("a/b.txt", Error::WriteFailed, "cannot create folder" + systemError(EACCES)),
           failed("c.txt", Error::WriteFailed, "cannot write the file" + systemError(ENOSPC))}},
         UNLHA_ERROR_WRITE,
         {"2 個のファイルを解凍できませんでした。", check},
         {{"a/b.txt", cannotWrite}, {"c.txt", "解凍先のディスクの空き容量が足りません。"}}},
        {"chosen skips are no failures; a refused name is",
         {Error::None,
          "",
          {failed("kept.txt", Error::Exists), failed("../evil", Error::UnsafeName),
           failed("new.txt", Error::None, "")}},
         UNLHA_ERROR_UNSAFE_NAME,
         {"1 個のファイルを解凍できませんでした。", check},
         {{"../evil", "解凍先フォルダの外を指す名前のファイルは解凍しませんでした。"}}},
        {"an archive that breaks off after its good members",
         {Error::Damaged, "header cut short", {failed("a.txt", Error::None, "")}},
         UNLHA_ERROR_DAMAGED,
         {damaged, check},
         {{"見本.lzh", damaged}}},
        {"no archive at all",
         {Error::NotAnArchive, "no header found", {}},
         UNLHA_ERROR_NOT_ARCHIVE,
         {"解凍元ファイルはＬＨＡ形式ではありません。", check},
         {{"見本.lzh", "解凍元ファイルはＬＨＡ形式ではありません。"}}},
        {"more failures than the result lists",
         {Error::None,
          "",
          {failed("a", Error::UnsupportedMethod), failed("b", Error::UnsupportedMethod)},
          0,
          5},
         UNLHA_ERROR_METHOD,
         {"7 個のファイルを解凍できませんでした。", "そのうち 5 個は一覧に載せていません。", check},
         {{"a", "対応していない圧縮形式のファイルがあります。"},
          {"b", "対応していない圧縮形式のファイルがあります。"}}},
        {"a command that cannot be read",
         {},
         UNLHA_ERROR_COMMAND,
         {"解凍コマンドが正しくありません。", check},
         {}},
    };
    for (const auto &c : cases) {
        const auto list = unlha::failureList(c.result, c.code, QStringLiteral("見本.lzh"));
        EXPECT_EQ(list.summary, c.summary.join(QChar('\n'))) << c.what;
        std::vector<std::pair<QString, QString>> rows;
        for (const auto &member : list.members)
            rows.emplace_back(member.name, member.cause);
        EXPECT_EQ(rows, c.rows) << c.what;
    }
}

} // namespace
