#pragma once
// Helpers for the library tests: scratch folders, fixture paths, calls
// through the C entry, folder trees, hand-built archives.
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
    fs::path operator/(const fs::path &name) const { return m_path / name; }
    const fs::path &path() const { return m_path; }

private:
    fs::path m_path;
};

fs::path dataDir(); // tests/data: archives/ made by jLHA from files/
fs::path samplesDir();

// "e ARCHIVE DEST/" as the program writes it.
std::string extractCommand(const fs::path &archive, const fs::path &destination);

struct Call {
    int code = 0;
    std::string report;
};
Call unlha(const std::string &command, uint32_t hwnd = 0);

// Relative path → content for files, "<dir>" for folders.
std::map<std::string, std::string> treeOf(const fs::path &root);
std::string readFile(const fs::path &path);
void writeFile(const fs::path &path, const std::string &content);

// One member stored as it is, under a level-0 header: archives larger or
// stranger than the fixtures.
std::string storedArchive(const std::string &name, const std::string &content,
                          const std::string &method = "-lh0-");

} // namespace fixtures
