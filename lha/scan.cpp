#include "scan.h"

#include <algorithm>

namespace lha {
namespace {

constexpr uint64_t kSearchLimit = 64 * 1024;

// Holds a window of the archive so that headers of small members close to
// each other cost one read between them.
class Window {
public:
    explicit Window(const ArchiveSource &source) : m_source(source) {}

    // At least `length` bytes at offset when the archive has them; fewer
    // only at its end.
    const uint8_t *at(uint64_t offset, std::size_t length, std::size_t &available) {
        const uint64_t size = m_source.size();
        if (offset < m_start || offset + length > m_start + m_bytes.size()) {
            const std::size_t want = static_cast<std::size_t>(
                std::min<uint64_t>(std::max(length, kBlock), offset < size ? size - offset : 0));
            m_bytes.resize(want);
            m_bytes.resize(m_source.readAt(offset, m_bytes.data(), want));
            m_start = offset;
        }
        available = static_cast<std::size_t>(m_start + m_bytes.size() - offset);
        return m_bytes.data() + (offset - m_start);
    }

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    const ArchiveSource &m_source;
    uint64_t m_start = 0;
    std::vector<uint8_t> m_bytes;
};

// Parses the header at offset, reading more when it is longer than the
// first look.
HeaderStatus headerAt(Window &window, uint64_t size, uint64_t offset, Header &header,
                      std::string &why) {
    std::size_t length = 32;
    while (true) {
        std::size_t available = 0;
        const uint8_t *p = window.at(offset, length, available);
        const bool atEnd = offset + available >= size;
        std::size_t needed = 0;
        const auto status = parseHeader(p, available, atEnd, header, needed, why);
        if (status != HeaderStatus::NeedMore)
            return status;
        if (needed <= length) // cannot happen with a sound parser; stop rather than spin
            return HeaderStatus::Bad;
        length = needed;
    }
}

// Whether the bytes at p could start a header: the method's dashes and a
// level byte. A self-extractor's code does not start like this.
bool looksLikeHeader(const uint8_t *p, std::size_t available) {
    return available >= 21 && p[2] == '-' && p[6] == '-' && p[20] <= 3;
}

// The offset of the first valid header in [from, limit).
std::optional<uint64_t> findHeader(Window &window, uint64_t size, uint64_t from, uint64_t limit) {
    limit = std::min(size, limit);
    for (uint64_t offset = from; offset + 21 < limit; ++offset) {
        std::size_t available = 0;
        const uint8_t *p = window.at(offset, 21, available);
        if (!looksLikeHeader(p, available))
            continue;
        Header header;
        std::string why;
        if (headerAt(window, size, offset, header, why) == HeaderStatus::Ok)
            return offset;
    }
    return std::nullopt;
}

} // namespace

Scan scanArchive(const ArchiveSource &source) {
    Scan scan;
    const uint64_t size = source.size();
    Window window(source);
    Header header;
    std::string why;
    uint64_t offset = 0;
    std::vector<Header> headers;
    std::vector<uint64_t> dataOffsets;
    auto first = headerAt(window, size, 0, header, why);
    if (first != HeaderStatus::Ok) {
        // A header-like start that fails its checks is a damaged archive,
        // not a self-extractor's stub: say so even when members follow.
        std::size_t available = 0;
        const uint8_t *start = window.at(0, 21, available);
        if (first == HeaderStatus::Bad && looksLikeHeader(start, available)) {
            scan.error = Error::Damaged;
            scan.message = "bad header at offset 0: " + why;
        }
        const auto found = size > 0 ? findHeader(window, size, 0, kSearchLimit) : std::nullopt;
        if (!found) {
            if (source.ioError()) {
                scan.error = Error::ArchiveUnreadable;
                scan.message = "read error";
            } else if (scan.error == Error::None) {
                scan.error = Error::NotAnArchive;
                scan.message = "no LHA header found";
            }
            return scan;
        }
        offset = *found;
    }
    while (true) {
        const auto status = headerAt(window, size, offset, header, why);
        if (status == HeaderStatus::End)
            break;
        if (status != HeaderStatus::Ok) {
            if (scan.error == Error::None) {
                scan.error = source.ioError() ? Error::ArchiveUnreadable : Error::Damaged;
                scan.message = "bad header at offset " + std::to_string(offset) + ": " + why;
            }
            if (source.ioError())
                break;
            // The members after a damaged header are still worth saving.
            const auto next = findHeader(window, size, offset + 1, size);
            if (!next)
                break;
            offset = *next;
            continue;
        }
        const uint64_t dataOffset = offset + header.header_size;
        headers.push_back(header);
        dataOffsets.push_back(dataOffset);
        // Overflow-safe: compare with what is left rather than adding.
        const uint64_t left = dataOffset <= size ? size - dataOffset : 0;
        if (header.packed_size >= left)
            break;
        offset = dataOffset + header.packed_size;
    }
    const Charset guessed = guessCharset(headers);
    for (std::size_t i = 0; i < headers.size(); ++i) {
        Entry entry = makeEntry(headers[i], dataOffsets[i], guessed);
        const uint64_t left = dataOffsets[i] <= size ? size - dataOffsets[i] : 0;
        entry.truncated = headers[i].packed_size > left;
        scan.entries.push_back(std::move(entry));
    }
    keepFolderAttributesApart(scan.entries);
    return scan;
}

} // namespace lha
