// SPDX-License-Identifier: MIT
#pragma once
// Where an archive's bytes come from: a file read with pread, or memory (for
// the fuzzer). Reads at an offset so that several threads can share one.
#include "decoder.h"
#include "uninitialised.h"
#include "unique_fd.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace lha {

class ArchiveSource {
public:
    virtual ~ArchiveSource() = default;
    virtual uint64_t size() const = 0;
    // Reads up to n bytes at offset; fewer only at the end or on an I/O error
    // (then ioError() tells).
    virtual std::size_t readAt(uint64_t offset, uint8_t *buf, std::size_t n) const = 0;
    // The same, for a small read that the next ones on this thread are likely
    // to follow closely: the packed data of small members, one after another.
    virtual std::size_t readNear(uint64_t offset, uint8_t *buf, std::size_t n) const {
        return readAt(offset, buf, n);
    }
    virtual bool ioError() const { return false; }
};

class FileSource : public ArchiveSource {
public:
    // nullptr with why set when the file cannot be opened as a regular file.
    static std::unique_ptr<FileSource> open(const std::filesystem::path &path, std::string &why);
    uint64_t size() const override { return m_size; }
    std::size_t readAt(uint64_t offset, uint8_t *buf, std::size_t n) const override;
    // Served from a block read ahead on the calling thread, so that thousands
    // of small members cost a system call per block rather than one each.
    std::size_t readNear(uint64_t offset, uint8_t *buf, std::size_t n) const override;
    bool ioError() const override { return m_ioError.load(std::memory_order_relaxed); }

    static constexpr std::size_t kReadAhead = 256 * 1024;

private:
    FileSource(UniqueFd fd, uint64_t size);
    std::size_t readAll(uint64_t offset, uint8_t *buf, std::size_t n, bool &failed) const;
    UniqueFd m_fd;
    uint64_t m_size = 0;
    uint64_t m_id; // tells this file's blocks read ahead from another's
    // Set by whichever thread's read failed.
    mutable std::atomic<bool> m_ioError{false};
};

class MemorySource : public ArchiveSource {
public:
    MemorySource(const uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}
    uint64_t size() const override { return m_size; }
    std::size_t readAt(uint64_t offset, uint8_t *buf, std::size_t n) const override;

private:
    const uint8_t *m_data;
    std::size_t m_size;
};

// A member's packed bytes, as the decoders read them: a window of the
// archive, read in large blocks.
class PackedBytes : public ByteSource {
public:
    PackedBytes(const ArchiveSource &source, uint64_t offset, uint64_t length);
    std::size_t read(uint8_t *buf, std::size_t n) override;
    // True when the archive ended before the member's data did.
    bool truncated() const { return m_truncated; }
    // The member's packed bytes not read yet.
    uint64_t unread() const { return m_left + (m_end - m_pos); }

private:
    const ArchiveSource &m_source;
    uint64_t m_offset;
    uint64_t m_left;
    std::vector<uint8_t> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_truncated = false;
};

} // namespace lha
