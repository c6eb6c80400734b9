// SPDX-License-Identifier: MIT
#include "folder_chain.h"

#include "lha/lha.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace unlha {

bool FolderChain::make(const std::filesystem::path &folder, std::string &why) {
    std::filesystem::path prefix;
    for (const auto &part : folder) {
        prefix /= part;
        if (part.empty() || part == "/" || part == "." || part == "..")
            continue;
        if (::mkdir(prefix.c_str(), 0777) == 0) {
            m_made.push_back(prefix);
            continue;
        }
        // What is there already is left for the extraction to judge: a
        // folder, a link to one, or a file it will refuse to write into.
        if (errno == EEXIST)
            continue;
        why = "cannot create the folder " + lha::printable(prefix.string()) + ": " +
              std::strerror(errno);
        removeEmpty();
        return false;
    }
    return true;
}

void FolderChain::removeEmpty() {
    for (auto it = m_made.rbegin(); it != m_made.rend(); ++it)
        ::rmdir(it->c_str());
    m_made.clear();
}

} // namespace unlha
