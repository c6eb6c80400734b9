// SPDX-License-Identifier: MIT
#pragma once
// The folder given with w=, made with every missing parent, as "mkdir -p"
// does. The folders made are remembered, so that a run that wrote nothing
// because the archive could not be read takes them away again.
#include <filesystem>
#include <string>
#include <vector>

namespace unlha {

class FolderChain {
public:
    // Makes folder and its missing parents; false with why set when one
    // cannot be made (the ones made before it are taken away).
    bool make(const std::filesystem::path &folder, std::string &why);
    // The folders make() created, outermost first.
    const std::vector<std::filesystem::path> &made() const { return m_made; }
    // Removes the folders made that are still empty, innermost first.
    void removeEmpty();

private:
    std::vector<std::filesystem::path> m_made;
};

} // namespace unlha
