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

uint16_t crc16(const std::string &bytes) {
    uint16_t crc = 0;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xa001) : crc >> 1;
    }
    return crc;
}

std::string storedArchive(const std::string &name, const std::string &content) {
    auto le = [](std::string &out, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>((value >> (8 * i)) & 0xff);
    };
    std::string header = "-lh0-";
    le(header, static_cast<uint32_t>(content.size()), 4); // packed
    le(header, static_cast<uint32_t>(content.size()), 4); // original
    le(header, 0x2a432020, 4);                            // 2001-02-03 04:01:00, DOS time
    header += '\x20';                                     // archive attribute
    header += '\0';                                       // level 0
    header += static_cast<char>(name.size());
    header += name;
    le(header, crc16(content), 2);
    unsigned sum = 0;
    for (unsigned char byte : header)
        sum += byte;
    std::string archive;
    archive += static_cast<char>(header.size());
    archive += static_cast<char>(sum & 0xff);
    return archive + header + content + '\0';
}

void writeFile(const fs::path &path, const std::string &content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

} // namespace fixtures
