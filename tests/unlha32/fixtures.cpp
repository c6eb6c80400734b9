#include "fixtures.h"

#include "unlha32.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace fixtures {

ScratchDir::ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "unlha32-test-XXXXXX").string();
    m_path = ::mkdtemp(pattern.data());
}

ScratchDir::~ScratchDir() {
    fs::remove_all(m_path);
}

fs::path dataDir() {
    return HOKORA_TEST_DATA_DIR;
}
fs::path samplesDir() {
    return HOKORA_SAMPLES_DIR;
}

std::string extractCommand(const fs::path &archive, const fs::path &destination) {
    return "e " + archive.string() + " " + destination.string() + "/";
}

Call unlha(const std::string &command, uint32_t hwnd) {
    std::vector<char> out(1 << 16);
    const int code = Unlha(hwnd, command.c_str(), out.data(), static_cast<uint32_t>(out.size()));
    return {code, out.data()};
}

std::map<std::string, std::string> treeOf(const fs::path &root) {
    std::map<std::string, std::string> tree;
    for (const auto &entry : fs::recursive_directory_iterator(root))
        tree[fs::relative(entry.path(), root).string()] =
            entry.is_directory() ? "<dir>" : readFile(entry.path());
    return tree;
}

std::string readFile(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path &path, const std::string &content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

std::string storedArchive(const std::string &name, const std::string &content,
                          const std::string &method) {
    auto le = [](std::string &out, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>(value >> (8 * i));
    };
    uint16_t crc = 0; // CRC-16, polynomial 0xA001 reflected
    for (unsigned char byte : content) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xa001) : crc >> 1;
    }
    std::string header = method;
    le(header, static_cast<uint32_t>(content.size()), 4); // packed
    le(header, static_cast<uint32_t>(content.size()), 4); // original
    le(header, 0x2a432020, 4);                            // DOS time stamp
    header += std::string("\x20\x00", 2);                 // attribute, level 0
    header += static_cast<char>(name.size()) + name;
    le(header, crc, 2);
    unsigned sum = 0;
    for (unsigned char byte : header)
        sum += byte;
    return std::string{static_cast<char>(header.size()), static_cast<char>(sum)} + header +
           content + '\0';
}

} // namespace fixtures
