#include "fixtures.h"

#include "unlha32.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace fixtures {

ScratchDir::ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "unlha32-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

fs::path dataDir() {
    return HOKORA_TEST_DATA_DIR;
}
fs::path samplesDir() {
    return HOKORA_SAMPLES_DIR;
}
fs::path corpusDir() {
    return HOKORA_CORPUS_DIR;
}

std::string extractCommand(const fs::path &archive, const fs::path &destination) {
    return "e " + archive.string() + " " + destination.string() + "/";
}

Call unlha(const std::string &command, uint32_t hwnd) {
    std::vector<char> out(1 << 16, '\0');
    Call call;
    call.code = Unlha(hwnd, command.c_str(), out.data(), static_cast<uint32_t>(out.size()));
    call.report = out.data();
    return call;
}

Tree treeOf(const fs::path &root) {
    Tree tree;
    for (const auto &entry : fs::recursive_directory_iterator(root)) {
        const auto name = fs::relative(entry.path(), root).string();
        if (entry.is_symlink())
            tree[name] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            tree[name] = "<dir>";
        else
            tree[name] = readFile(entry.path());
    }
    return tree;
}

std::string differences(const Tree &expected, const Tree &actual) {
    std::string out;
    for (const auto &[name, content] : expected) {
        const auto found = actual.find(name);
        if (found == actual.end())
            out += "missing " + name + "\n";
        else if (found->second != content)
            out += "different " + name + "\n";
    }
    for (const auto &[name, content] : actual)
        if (!expected.count(name))
            out += "unexpected " + name + "\n";
    return out;
}

std::string readFile(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path &path, const std::string &content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

} // namespace fixtures
