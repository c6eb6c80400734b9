// SPDX-License-Identifier: MIT
// How unlha reads its arguments, and which members its patterns choose.
#include "invocation.h"
#include "member_patterns.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using unlha::Action;

struct Expected {
    Action action = Action::Extract;
    std::string archive = "a.lzh";
    std::string destination;
    std::vector<std::string> patterns;
    bool quiet = false, replace = false, ignoreFolders = false, dryRun = false, verbose = false,
         json = false;
    bool libraryForm = false; // "e ARCHIVE DEST/"
};

struct ParseCase {
    const char *what;
    std::vector<std::string> words;
    Expected expected;
    std::set<std::string> files = {"a.lzh"};
};

Expected with(std::function<void(Expected &)> change) {
    Expected e;
    change(e);
    return e;
}

const ParseCase kParseCases[] = {
    {"plain x", {"x", "a.lzh"}, {}},
    {"e is x", {"e", "a.lzh"}, {}},
    {"upper case", {"X", "a.lzh"}, {}},
    {"dashed", {"-x", "a.lzh"}, {}},
    {"glued letters", {"xqf", "a.lzh"}, with([](Expected &e) { e.quiet = e.replace = true; })},
    {"dashed glued", {"-xin", "a.lzh"}, with([](Expected &e) {
         e.ignoreFolders = e.dryRun = true;
     })},
    {"quiet level", {"xq2v", "a.lzh"}, with([](Expected &e) { e.quiet = e.verbose = true; })},
    {"list", {"l", "a.lzh"}, with([](Expected &e) { e.action = Action::List; })},
    {"l with v is v", {"lv", "a.lzh"}, with([](Expected &e) { e.action = Action::VerboseList; })},
    {"verbose list", {"v", "a.lzh"}, with([](Expected &e) { e.action = Action::VerboseList; })},
    {"test verbose", {"tv", "a.lzh"}, with([](Expected &e) {
         e.action = Action::Test;
         e.verbose = true;
     })},
    {"print with patterns", {"p", "a.lzh", "doc/*.txt", "b"}, with([](Expected &e) {
         e.action = Action::Print;
         e.patterns = {"doc/*.txt", "b"};
     })},
    {"w= glued", {"xqw=/tmp/out dir", "a.lzh"}, with([](Expected &e) {
         e.quiet = true;
         e.destination = "/tmp/out dir";
     })},
    {"w= apart, then a pattern", {"x", "w=out", "a.lzh", "*.c"}, with([](Expected &e) {
         e.destination = "out";
         e.patterns = {"*.c"};
     })},
    {"a folder-like pattern with w=", {"x", "w=out", "a.lzh", "docs/"}, with([](Expected &e) {
         e.destination = "out";
         e.patterns = {"docs/"};
     })},
    {"option letters in words of their own",
     {"-x", "-q", "-fw=out", "a.lzh"},
     with([](Expected &e) {
         e.quiet = e.replace = true;
         e.destination = "out";
     })},
    {"an archive whose name starts with a dash",
     {"t", "-a.lzh"},
     with([](Expected &e) {
         e.action = Action::Test;
         e.archive = "-a.lzh";
     }),
     {"-a.lzh"}},
    {"classic destination", {"e", "a.lzh", "out/"}, with([](Expected &e) {
         e.destination = "out";
         e.libraryForm = true;
     })},
    {"classic, dashed and in upper case", {"-E", "a.lzh", "out/"}, with([](Expected &e) {
         e.destination = "out";
         e.libraryForm = true;
     })},
    {"classic, the root", {"e", "a.lzh", "/"}, with([](Expected &e) {
         e.destination.assign(1, '/');
         e.libraryForm = true;
     })},
    {"classic with blanks in both paths",
     {"e", "my", "files/old", "data.lzh", "out", "dir/"},
     with([](Expected &e) {
         e.archive = "my files/old data.lzh";
         e.destination = "out dir";
         e.libraryForm = true;
     }),
     {"my files/old data.lzh"}},
    {"classic letters too", {"ef", "a.lzh", "out/"}, with([](Expected &e) {
         e.replace = true;
         e.destination = "out";
         e.libraryForm = true;
     })},
    {"classic from standard input", {"e", "-", "out/"}, with([](Expected &e) {
         e.archive = "-";
         e.destination = "out";
         e.libraryForm = true;
     })},
    // After x, and in every command but e, a trailing '/' names a folder member.
    {"x with a folder name", {"x", "a.lzh", "docs/"}, with([](Expected &e) {
         e.patterns = {"docs/"};
     })},
    {"x with letters and a folder name", {"-xf", "a.lzh", "docs/", "b/"}, with([](Expected &e) {
         e.replace = true;
         e.patterns = {"docs/", "b/"};
     })},
    {"l with a folder name", {"l", "a.lzh", "docs/"}, with([](Expected &e) {
         e.action = Action::List;
         e.patterns = {"docs/"};
     })},
    {"v with a folder name", {"v", "a.lzh", "docs/"}, with([](Expected &e) {
         e.action = Action::VerboseList;
         e.patterns = {"docs/"};
     })},
    {"t with a folder name", {"t", "a.lzh", "docs/"}, with([](Expected &e) {
         e.action = Action::Test;
         e.patterns = {"docs/"};
     })},
    {"p with a folder name", {"p", "a.lzh", "docs/"}, with([](Expected &e) {
         e.action = Action::Print;
         e.patterns = {"docs/"};
     })},
    {"e with w= takes folder names", {"e", "w=out", "a.lzh", "docs/"}, with([](Expected &e) {
         e.destination = "out";
         e.patterns = {"docs/"};
     })},
    // Words are never joined: "my arc.lzh" is two arguments.
    {"a blank splits words, even when the joined name is a file",
     {"l", "my", "arc.lzh"},
     with([](Expected &e) {
         e.action = Action::List;
         e.archive = "my";
         e.patterns = {"arc.lzh"};
     }),
     {"my", "my arc.lzh"}},
    {"nor after --",
     {"l", "--", "my", "arc.lzh"},
     with([](Expected &e) {
         e.action = Action::List;
         e.archive = "my";
         e.patterns = {"arc.lzh"};
     }),
     {"my", "my arc.lzh"}},
    {"x with names joining into a file",
     {"x", "my", "arc.lzh", "b"},
     with([](Expected &e) {
         e.archive = "my";
         e.patterns = {"arc.lzh", "b"};
     }),
     {"my", "my arc.lzh"}},
    {"a name with a blank, as one argument",
     {"l", "my arc.lzh"},
     with([](Expected &e) {
         e.action = Action::List;
         e.archive = "my arc.lzh";
     }),
     {"my", "my arc.lzh"}},
    {"after --, a dashed word is the archive", {"x", "--", "-q"}, with([](Expected &e) {
         e.archive = "-q";
     })},
    {"standard input", {"l", "-"}, with([](Expected &e) {
         e.action = Action::List;
         e.archive = "-";
     })},
    {"standard input, names and w=", {"xqw=deep/new/dir", "-", "docs/"}, with([](Expected &e) {
         e.quiet = true;
         e.archive = "-";
         e.destination = "deep/new/dir";
         e.patterns = {"docs/"};
     })},
    {"missing archive: the first word", {"t", "gone.lzh", "x"}, with([](Expected &e) {
         e.action = Action::Test;
         e.archive = "gone.lzh";
         e.patterns = {"x"};
     })},
    {"--json after the command", {"l", "--json", "a.lzh"}, with([](Expected &e) {
         e.action = Action::List;
         e.json = true;
     })},
    {"--json first", {"--json", "t", "a.lzh"}, with([](Expected &e) {
         e.action = Action::Test;
         e.json = true;
     })},
    {"-- makes the rest names", {"l", "a.lzh", "--", "--json"}, with([](Expected &e) {
         e.action = Action::List;
         e.patterns = {"--json"};
     })},
    {"--help wins", {"xz", "--help"}, with([](Expected &e) {
         e.action = Action::Help;
         e.archive = "";
     })},
    {"--version", {"--version"}, with([](Expected &e) {
         e.action = Action::Version;
         e.archive = "";
     })},
};

TEST(UnlhaArguments, ReadsEveryForm) {
    for (const auto &c : kParseCases) {
        SCOPED_TRACE(c.what);
        const auto parsed = unlha::parseArguments(
            c.words, [&](const std::filesystem::path &p) { return c.files.count(p.string()) > 0; });
        ASSERT_TRUE(parsed.ok()) << parsed.error;
        const auto &got = parsed.invocation;
        const auto &want = c.expected;
        EXPECT_EQ(got.action, want.action);
        EXPECT_EQ(got.archive.string(), want.archive);
        EXPECT_EQ(got.destination.string(), want.destination);
        EXPECT_EQ(got.patterns, want.patterns);
        EXPECT_EQ(got.quiet, want.quiet);
        EXPECT_EQ(got.replace, want.replace);
        EXPECT_EQ(got.ignoreFolders, want.ignoreFolders);
        EXPECT_EQ(got.dryRun, want.dryRun);
        EXPECT_EQ(got.verbose, want.verbose);
        EXPECT_EQ(got.json, want.json);
        EXPECT_EQ(got.libraryForm, want.libraryForm);
    }
}

struct RefusedCase {
    std::vector<std::string> words;
    const char *error; // a part of the message
};

const RefusedCase kRefusedCases[] = {
    {{}, "no command given"},
    {{"xz", "a.lzh"}, "unknown option letter 'z' in 'xz'"},
    {{"-xq7k", "a.lzh"}, "unknown option letter 'k'"},
    {{"k", "a.lzh"}, "unknown command 'k'"},
    {{"-", "a.lzh"}, "unknown command '-'"},
    {{"x"}, "no archive given"},
    {{"l", "w=out"}, "no archive given"},
    {{"xw=", "a.lzh"}, "w= needs a folder"},
    {{"x", "-fz", "a.lzh"}, "unknown option letter 'z' in '-fz'"},
    {{"x", "w=", "a.lzh"}, "w= needs a folder"},
    {{"p", "--json", "a.lzh"}, "--json goes with l, v and t"},
    {{"x", "--json", "a.lzh"}, "--json goes with l, v and t"},
    {{"l", "--jsn", "a.lzh"}, "unknown option '--jsn'"},
};

// The classic form says how it was read when the destination is still to
// be made, so that the tool can tell the user; a plain reading says nothing.
TEST(UnlhaArguments, ClassicFormTellsAChoiceItMade) {
    const auto isFile = [](const std::filesystem::path &p) { return p == "a.lzh"; };
    const struct {
        std::vector<std::string> words;
        bool told;
    } cases[] = {
        {{"e", "a.lzh", "hokora-test-folder-that-does-not-exist/"}, true},
        {{"e", "a.lzh", "/"}, false},
        {{"x", "a.lzh"}, false},
        {{"x", "w=hokora-test-folder-that-does-not-exist", "a.lzh"}, false},
    };
    for (const auto &c : cases) {
        const auto parsed = unlha::parseArguments(c.words, isFile);
        ASSERT_TRUE(parsed.ok()) << parsed.error;
        EXPECT_EQ(!parsed.invocation.choice.empty(), c.told) << c.words.back();
    }
}

TEST(UnlhaArguments, RefusesWithAClearReason) {
    for (const auto &c : kRefusedCases) {
        SCOPED_TRACE(c.error);
        const auto parsed = unlha::parseArguments(
            c.words, [](const std::filesystem::path &p) { return p == "a.lzh"; });
        EXPECT_FALSE(parsed.ok());
        EXPECT_NE(parsed.error.find(c.error), std::string::npos) << parsed.error;
    }
}

struct PatternCase {
    std::vector<std::string> patterns;
    const char *name;
    bool chosen;
};

const PatternCase kPatternCases[] = {
    {{}, "any/thing", true},
    {{"doc/a.txt"}, "doc/a.txt", true},
    {{"*.txt"}, "doc/a.txt", true},
    {{"*.txt"}, "doc/a.bin", false},
    {{"a.txt"}, "doc/a.txt", true},
    {{"doc"}, "doc/sub/a.txt", true},
    {{"doc/"}, "doc/sub/a.txt", true},
    {{"doc"}, "doc", true},
    {{"do"}, "doc/a.txt", false},
    {{"sub/a.txt"}, "doc/sub/a.txt", false},
    {{"[ab].txt"}, "b.txt", true},
    {{"?.txt"}, "ab.txt", false},
    {{"x", "*.bin"}, "doc/a.bin", true},
};

TEST(UnlhaPatterns, ChooseMembersByNameFolderAndLastPart) {
    for (const auto &c : kPatternCases) {
        SCOPED_TRACE(c.name);
        unlha::MemberPatterns patterns(c.patterns);
        lha::MemberInfo member;
        member.name = c.name;
        EXPECT_EQ(patterns.matches(member), c.chosen);
    }
}

TEST(UnlhaPatterns, TellWhichFoundNothing) {
    unlha::MemberPatterns patterns({"a.txt", "*.c", "doc/"});
    lha::MemberInfo member;
    for (const char *name : {"a.txt", "doc/b.txt", "z.h"}) {
        member.name = name;
        patterns.matches(member);
    }
    EXPECT_EQ(patterns.unmatched(), std::vector<std::string>{"*.c"});
}

} // namespace
