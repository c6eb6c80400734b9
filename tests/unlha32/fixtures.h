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
void writeFile(const fs::path &path, const std::string &content);

} // namespace fixtures
