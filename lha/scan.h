// SPDX-License-Identifier: MIT
#pragma once
// Walks an archive's headers from the first valid one to the end mark.
#include "entry.h"
#include "source.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace lha {

class HeaderWindow;

// The walk keeps only where each member's header is; the entries are made a
// batch at a time, on demand, so that an archive of millions of members
// never holds them all at once.
class Scan {
public:
    // The first header may sit after a self-extracting program: it is
    // searched for within the first 64 KiB.
    explicit Scan(const ArchiveSource &source);
    ~Scan();
    Scan(const Scan &) = delete;
    Scan &operator=(const Scan &) = delete;

    std::size_t memberCount() const { return m_offsets.size(); }
    // The entries of members [first, first + count), in archive order; a
    // header that reads differently the second time (an I/O error) is left out.
    std::vector<Entry> entries(std::size_t first, std::size_t count);

    Error error = Error::None; // NotAnArchive, Damaged or ArchiveUnreadable
    std::string message;

private:
    bool entryAt(uint64_t offset, Entry &entry);

    const ArchiveSource &m_source;
    std::unique_ptr<HeaderWindow> m_window;
    std::deque<uint64_t> m_offsets; // a deque: growing it never holds two copies
    Charset m_charset = Charset::Detect;
    FolderAttributes m_attributes;
};

} // namespace lha
