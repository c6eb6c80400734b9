#pragma once
// Shared helpers for the library tests: scratch folders, fixture paths, calls
// through the C entry, and folder trees to compare.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace fixtures {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;
    const fs::path &path() const { return m_path; }
    fs::path operator/(const fs::path &name) const { return m_path / name; }

private:
    fs::path m_path;
};

fs::path dataDir();    // tests/data: archives/ made by jLHA from files/
fs::path samplesDir(); // samples: SAMPLE.LZH and src/
fs::path corpusDir();  // the shared corpus; may be absent

// "e ARCHIVE DEST/" as the program writes it.
std::string extractCommand(const fs::path &archive, const fs::path &destination);

struct Call {
    int code = 0;
    std::string report;
};
// Calls Unlha with a generous report buffer.
Call unlha(const std::string &command, uint32_t hwnd = 0);

// Relative path → content for files, "<dir>" for folders, "-> target" for links.
using Tree = std::map<std::string, std::string>;
Tree treeOf(const fs::path &root);
// The names whose entries differ between two trees, one a line; empty when
// they are the same. Keeps failure messages short.
std::string differences(const Tree &expected, const Tree &actual);
std::string readFile(const fs::path &path);
// CRC-16 as LHA computes it (polynomial 0xA001, reflected, starting at 0).
uint16_t crc16(const std::string &bytes);
// An archive of one stored (-lh0-) member with a level-0 header, built by
// hand for members larger than the fixtures.
std::string storedArchive(const std::string &name, const std::string &content);
void writeFile(const fs::path &path, const std::string &content);

} // namespace fixtures
