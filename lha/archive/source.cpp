// SPDX-License-Identifier: MIT
#include "source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace lha {
namespace {

// The block a thread read ahead, and from which file.
struct ReadAhead {
    uint64_t source = 0;
    uint64_t start = 0;
    std::size_t length = 0;
    std::vector<uint8_t, UninitialisedAllocator<uint8_t>> bytes;
};
thread_local ReadAhead t_readAhead;

// The block is only a saving: without memory for it, reads go straight on.
bool makeRoom(ReadAhead &ahead) {
    try {
        ahead.bytes.resize(FileSource::kReadAhead);
        return true;
    } catch (const std::bad_alloc &) {
        ahead.source = 0;
        return false;
    }
}
std::atomic<uint64_t> g_nextSourceId{1};

} // namespace

FileSource::FileSource(UniqueFd fd, uint64_t size)
    : m_fd(std::move(fd)), m_size(size), m_id(g_nextSourceId.fetch_add(1)) {}

std::unique_ptr<FileSource> FileSource::open(const std::filesystem::path &path, std::string &why) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never
    // come; on a regular file the flag changes nothing.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd) {
        why = std::strerror(errno);
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        why = std::strerror(errno);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        why = S_ISDIR(st.st_mode) ? "it is a folder" : "not a regular file";
        return nullptr;
    }
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return std::unique_ptr<FileSource>(
        new FileSource(std::move(fd), static_cast<uint64_t>(st.st_size)));
}

std::size_t FileSource::readAt(uint64_t offset, uint8_t *buf, std::size_t n) const {
    bool failed = false;
    const std::size_t done = readAll(offset, buf, n, failed);
    if (failed)
        m_ioError.store(true, std::memory_order_relaxed);
    return done;
}

std::size_t FileSource::readAll(uint64_t offset, uint8_t *buf, std::size_t n, bool &failed) const {
    std::size_t done = 0;
    while (done < n && offset + done < m_size) {
        const ssize_t got =
            ::pread(m_fd.get(), buf + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            failed = got < 0;
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::size_t FileSource::readNear(uint64_t offset, uint8_t *buf, std::size_t n) const {
    ReadAhead &ahead = t_readAhead;
    const bool held =
        ahead.source == m_id && offset >= ahead.start && offset - ahead.start + n <= ahead.length;
    if (!held) {
        if (n >= kReadAhead / 4 || !makeRoom(ahead))
            return readAt(offset, buf, n);
        ahead.source = m_id;
        ahead.start = offset;
        // A fault past the bytes asked for is not theirs: only a read of
        // them says whether they can be read.
        bool failed = false;
        ahead.length = readAll(offset, ahead.bytes.data(), kReadAhead, failed);
        if (n > ahead.length) {
            ahead.source = 0;
            return readAt(offset, buf, n);
        }
    }
    std::memcpy(buf, ahead.bytes.data() + (offset - ahead.start), n);
    return n;
}

std::size_t MemorySource::readAt(uint64_t offset, uint8_t *buf, std::size_t n) const {
    if (offset >= m_size)
        return 0;
    const std::size_t count = static_cast<std::size_t>(std::min<uint64_t>(n, m_size - offset));
    std::memcpy(buf, m_data + offset, count);
    return count;
}

namespace {
constexpr std::size_t kBlock = 128 * 1024;
constexpr std::size_t kDirect = 64 * 1024;
} // namespace

PackedBytes::PackedBytes(const ArchiveSource &source, uint64_t offset, uint64_t length)
    : m_source(source), m_offset(offset), m_left(length) {}

std::size_t PackedBytes::read(uint8_t *buf, std::size_t n) {
    if (m_pos == m_end) {
        if (m_left == 0 || m_truncated)
            return 0;
        // Large requests (the bit readers ask for 64 KiB) go straight to the
        // caller's buffer, without a copy through ours.
        if (n >= kDirect) {
            const auto want = static_cast<std::size_t>(std::min<uint64_t>(n, m_left));
            const auto got = m_source.readNear(m_offset, buf, want);
            m_offset += got;
            m_left -= got;
            m_truncated = got < want;
            return got;
        }
        if (m_buffer.empty())
            m_buffer.resize(static_cast<std::size_t>(std::min<uint64_t>(kBlock, m_left)));
        const auto want = static_cast<std::size_t>(std::min<uint64_t>(m_buffer.size(), m_left));
        m_end = m_source.readNear(m_offset, m_buffer.data(), want);
        m_pos = 0;
        m_offset += m_end;
        m_left -= m_end;
        m_truncated = m_end < want;
        if (m_end == 0)
            return 0;
    }
    const std::size_t count = std::min(n, m_end - m_pos);
    std::memcpy(buf, m_buffer.data() + m_pos, count);
    m_pos += count;
    return count;
}

} // namespace lha
