// SPDX-License-Identifier: MIT
#include "scan.h"

#include "uninitialised.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace lha {

// Holds a window of the archive so that headers of small members close to
// each other cost one read between them. The reads start small, since the
// next header after a large member is far away and only its first bytes are
// wanted; they grow while the walk keeps reaching just past the window
// (members packed close together, or a search through damage), up to several
// times the largest header, so that a search re-reads only when it has
// walked most of a window.
class HeaderWindow {
public:
    explicit HeaderWindow(const ArchiveSource &source) : m_source(source) {}

    // At least `length` bytes at offset when the archive has them; fewer
    // only at its end.
    const uint8_t *at(uint64_t offset, std::size_t length, std::size_t &available) {
        const uint64_t size = m_source.size();
        const uint64_t end = m_start + m_bytes.size();
        if (offset < m_start || offset + length > end) {
            const bool near = offset >= m_start && offset <= end + m_readSize;
            m_readSize = near ? std::min(2 * m_readSize, kLargestRead) : kFirstRead;
            const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(
                std::max(length, m_readSize), offset < size ? size - offset : 0));
            m_bytes.resize(want);
            m_bytes.resize(m_source.readAt(offset, m_bytes.data(), want));
            m_start = offset;
        }
        available = static_cast<std::size_t>(m_start + m_bytes.size() - offset);
        return m_bytes.data() + (offset - m_start);
    }

private:
    static constexpr std::size_t kFirstRead = 4 * 1024;
    static constexpr std::size_t kLargestRead = 4 * (kMaxHeaderSize + 4);
    const ArchiveSource &m_source;
    uint64_t m_start = 0;
    std::size_t m_readSize = kFirstRead;
    std::vector<uint8_t, UninitialisedAllocator<uint8_t>> m_bytes;
};

namespace {

using Window = HeaderWindow;

constexpr uint64_t kSearchLimit = 64 * 1024;
// The bytes that decide whether a header may start somewhere: the method's
// dashes at 2 and 6, the level at 20.
constexpr std::size_t kHeaderProbe = 21;
constexpr std::size_t kMethodDash1 = 2;
constexpr std::size_t kMethodDash2 = 6;
constexpr std::size_t kLevelByte = 20;
constexpr uint8_t kHighestLevel = 3;
// A name longer than any path the system accepts can never be written; it
// is kept only this long, to show in the report what was refused.
constexpr std::size_t kLongestName = PATH_MAX;
constexpr std::size_t kShownOfLongName = 256;
// The names the charset is guessed from: this many bytes of them, from at
// most this many headers.
constexpr std::size_t kCharsetSample = 256 * 1024;
constexpr std::size_t kCharsetSampleHeaders = 4096;

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
    return available >= kHeaderProbe && p[kMethodDash1] == '-' && p[kMethodDash2] == '-' &&
           p[kLevelByte] <= kHighestLevel;
}

uint16_t le16(const uint8_t *p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// The structural checks of a header that need no allocation, run before
// the full parse so that garbage dense with header-like bytes is passed
// over quickly. False only for bytes that cannot be a header; true when
// unsure (too few bytes here), leaving the decision to the parser.
bool plausibleHeader(const uint8_t *p, std::size_t available) {
    constexpr std::size_t kLevel01Fixed = 24; // through the CRC after the name
    constexpr std::size_t kLevel2Fixed = 26;  // through the first extension's size
    constexpr std::size_t kNameLength = 21;
    constexpr std::size_t kSizeFieldWidth = 2;
    const uint8_t level = p[kLevelByte];
    if (available < kLevel2Fixed)
        return true;
    if (level <= 1) {
        const std::size_t base = static_cast<std::size_t>(p[0]) + 2;
        if (base < kLevel01Fixed + p[kNameLength])
            return false;
        if (base > available)
            return true;
        uint8_t sum = 0;
        for (std::size_t i = 2; i < base; ++i)
            sum = static_cast<uint8_t>(sum + p[i]);
        return sum == p[1];
    }
    if (level == 3)
        return le16(p) == 4;
    const std::size_t total = le16(p);
    if (total < kLevel2Fixed)
        return false;
    std::size_t pos = kLevel2Fixed;
    std::size_t next = le16(p + kLevel2Fixed - kSizeFieldWidth);
    while (next != 0) {
        if (next < 1 + kSizeFieldWidth || pos + next > total)
            return false;
        pos += next;
        if (pos > available)
            return true;
        next = le16(p + pos - kSizeFieldWidth);
    }
    return true;
}

// The offset of the first valid header in [from, limit). The candidates are
// found with memchr over the window, so that garbage costs a pass over its
// bytes rather than a header parse at every one of them.
std::optional<uint64_t> findHeader(Window &window, uint64_t size, uint64_t from, uint64_t limit) {
    limit = std::min(size, limit);
    uint64_t offset = from;
    while (offset + kHeaderProbe <= limit) {
        std::size_t available = 0;
        const uint8_t *p = window.at(offset, kHeaderProbe, available);
        if (available < kHeaderProbe)
            break;
        // Dashes are searched for at kMethodDash1 of each candidate.
        const std::size_t span = static_cast<std::size_t>(
            std::min<uint64_t>(available - kHeaderProbe + 1, limit - kHeaderProbe + 1 - offset));
        const auto *dash = static_cast<const uint8_t *>(std::memchr(p + kMethodDash1, '-', span));
        if (!dash) {
            offset += span;
            continue;
        }
        offset += static_cast<uint64_t>(dash - (p + kMethodDash1));
        const uint8_t *candidate = dash - kMethodDash1;
        const std::size_t left = available - static_cast<std::size_t>(candidate - p);
        if (looksLikeHeader(candidate, left) && plausibleHeader(candidate, left)) {
            Header header;
            std::string why;
            if (headerAt(window, size, offset, header, why) == HeaderStatus::Ok)
                return offset;
        }
        ++offset;
    }
    return std::nullopt;
}

// Cuts an over-long stored name to what the report shows; true when it was.
bool cutLongName(Header &header) {
    const std::size_t stored = std::max(header.name.size() + header.directory.size(),
                                        header.utf16_name.value_or("").size() +
                                            header.utf16_directory.value_or("").size());
    if (stored <= kLongestName)
        return false;
    // A copy rather than resize, which would keep the long name's memory.
    auto cut = [](std::string &s) { s = s.substr(0, kShownOfLongName); };
    cut(header.name);
    cut(header.directory);
    if (header.utf16_name)
        cut(*header.utf16_name);
    if (header.utf16_directory)
        cut(*header.utf16_directory);
    return true;
}

// Where the first header is: at the start, or after a self-extractor's
// code. badStart is set when the start looks like a header but fails its
// checks, which is a damaged archive, not a self-extractor's stub.
std::optional<uint64_t> findFirstHeader(Window &window, uint64_t size, bool &badStart,
                                        std::string &why) {
    Header header;
    if (headerAt(window, size, 0, header, why) == HeaderStatus::Ok)
        return 0;
    std::size_t available = 0;
    const uint8_t *start = window.at(0, kHeaderProbe, available);
    badStart = looksLikeHeader(start, available);
    return size > 0 ? findHeader(window, size, 0, kSearchLimit) : std::nullopt;
}

} // namespace

Scan::Scan(const ArchiveSource &source, std::optional<Charset> charset)
    : m_source(source), m_window(std::make_unique<HeaderWindow>(source)),
      m_reading(charset.value_or(Charset::Detect), charset.has_value()) {
    std::string why;
    bool badStart = false;
    m_first = findFirstHeader(*m_window, source.size(), badStart, why);
    // Said even when members follow.
    if (badStart)
        damaged("bad header at offset 0: " + why);
    if (!m_first) {
        if (source.ioError()) {
            error = Error::ArchiveUnreadable;
            message = "read error";
        } else if (error == Error::None) {
            error = Error::NotAnArchive;
            message = "no LHA header found";
        }
        return;
    }
    // The names of the first members are enough to guess the charset.
    std::vector<Header> sample;
    struct Place {
        uint64_t offset;
        bool longName;
    };
    std::vector<Place> places;
    std::size_t sampleBytes = 0;
    Header header;
    uint64_t offset = 0;
    bool walkedAll = false;
    rewind();
    while (sampleBytes < kCharsetSample && sample.size() < kCharsetSampleHeaders) {
        if (!nextHeader(header, offset)) {
            walkedAll = true;
            break;
        }
        places.push_back({offset, cutLongName(header)});
        sampleBytes += header.name.size() + header.directory.size();
        sample.push_back(std::move(header));
    }
    m_hasMembers = !sample.empty();
    if (!m_reading.forced)
        m_reading.charset = guessCharset(sample);
    // Most archives are wholly in the sample, and need no second walk.
    if (walkedAll) {
        for (std::size_t i = 0; i < sample.size(); ++i)
            m_attributes.learn(entryOf(sample[i], places[i].offset, places[i].longName));
    } else {
        sample = {};
        places = {};
        rewind();
        while (nextHeader(header, offset))
            m_attributes.learn(entryOf(header, offset));
    }
    rewind();
}

Scan::~Scan() = default;

void Scan::rewind() {
    m_offset = m_first;
    m_searchAt.reset();
    m_nextSearch = 0;
}

std::optional<uint64_t> Scan::searchFrom(uint64_t from) {
    // Enough for any archive that is more than garbage.
    constexpr std::size_t kMostSearchesKept = 64 * 1024;
    if (m_nextSearch < m_searches.size() && m_searches[m_nextSearch].from == from)
        return m_searches[m_nextSearch++].found;
    const auto found = findHeader(*m_window, m_source.size(), from, m_source.size());
    if (m_nextSearch == m_searches.size() && m_searches.size() < kMostSearchesKept) {
        m_searches.push_back({from, found});
        ++m_nextSearch;
    }
    return found;
}

void Scan::damaged(std::string why) {
    if (error != Error::None)
        return;
    error = m_source.ioError() ? Error::ArchiveUnreadable : Error::Damaged;
    message = std::move(why);
}

// Reads header after header up to the end mark. After a damaged header, or
// a member whose data would run past the end of the archive, the walk looks
// for the next header from where the last one ended, so that the members
// after it still come out.
bool Scan::nextHeader(Header &header, uint64_t &offset) {
    const uint64_t size = m_source.size();
    std::string why;
    while (m_offset || m_searchAt) {
        if (m_searchAt) {
            const uint64_t from = *m_searchAt;
            m_searchAt.reset();
            m_offset = m_source.ioError() ? std::nullopt : searchFrom(from);
            continue;
        }
        offset = *m_offset;
        const auto status = headerAt(*m_window, size, offset, header, why);
        if (status == HeaderStatus::End) {
            m_offset.reset();
            return false;
        }
        if (status != HeaderStatus::Ok) {
            damaged("bad header at offset " + std::to_string(offset) + ": " + why);
            m_offset.reset();
            m_searchAt = offset + 1;
            continue;
        }
        const uint64_t dataOffset = offset + header.headerSize;
        const uint64_t packed = header.packedSize;
        // Overflow-safe: compare with what is left rather than adding.
        const uint64_t left = dataOffset <= size ? size - dataOffset : 0;
        m_offset.reset();
        if (packed > left) {
            damaged("the data of the member at offset " + std::to_string(offset) +
                    " runs past the end of the archive");
            m_searchAt = dataOffset;
        } else if (packed < left) {
            m_offset = dataOffset + packed;
        } // else the data ends the file: there is no end mark
        return true;
    }
    return false;
}

Entry Scan::entryOf(Header &header, uint64_t offset) const {
    const bool longName = cutLongName(header);
    return entryOf(header, offset, longName);
}

Entry Scan::entryOf(const Header &header, uint64_t offset, bool longName) const {
    const uint64_t size = m_source.size();
    const uint64_t dataOffset = offset + header.headerSize;
    Entry entry = makeEntry(header, dataOffset, m_reading);
    const uint64_t left = dataOffset <= size ? size - dataOffset : 0;
    entry.truncated = header.packedSize > left;
    if (longName) {
        entry.refusal = "the name is longer than any path the system allows";
        entry.info.name += "...";
    }
    return entry;
}

std::vector<Entry> Scan::next(std::size_t count, std::size_t mostBytes) {
    std::vector<Entry> batch;
    batch.reserve(count);
    std::size_t bytes = 0;
    Header header;
    uint64_t offset = 0;
    while (batch.size() < count && bytes < mostBytes && nextHeader(header, offset)) {
        Entry entry = entryOf(header, offset);
        m_attributes.keepApart(entry);
        bytes += heldBytes(entry);
        batch.push_back(std::move(entry));
    }
    return batch;
}

} // namespace lha
