// SPDX-License-Identifier: MIT
#include "scan.h"

#include "member_data.h"
#include "uninitialised.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>

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
            // Room for the largest read at once: growing step by step
            // would copy the bytes about to be read over.
            if (m_bytes.capacity() < want) {
                m_bytes.clear();
                m_bytes.reserve(std::max(want, kLargestRead));
            }
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

// Self-extractors' programs run to about 256 KiB; the first header is
// looked for this far, and so is a member after an end mark.
constexpr uint64_t kStubLimit = 1024 * 1024;
// Self-extracting programs start like this, or name themselves so (the
// Amiga's LhASFX keeps its own usage text in a tiny archive of its own).
constexpr std::string_view kProgramStarts[] = {"MZ", std::string_view("\0\0\x03\xF3", 4),
                                               "\x7F"
                                               "ELF"};
constexpr std::string_view kStubMarkers[] = {"LhASFX", "LHA-SFX"};
// The chains of members followed when choosing where a self-extractor's
// archive starts.
constexpr int kMostStarts = 8;
// A search through damage passes over headers with more extended headers
// than any writer makes, so that garbage built of long chains costs little
// per offset; the walk itself still reads them.
constexpr std::size_t kMostLinksSearched = 32;
// A header found after damage whose data would swallow another valid header
// is taken only when its data checks out: decoded up to this size, for at
// most this many candidates per search. The bytes searched and decoded for
// these checks over a whole walk are bounded by a few times the archive's
// size, so that garbage of nested false headers costs linear time.
constexpr uint64_t kMostBytesChecked = 16 * 1024 * 1024;
constexpr int kMostDataChecks = 8;
constexpr uint64_t kCheckBudgetBase = 16 * 1024 * 1024;
constexpr uint64_t kCheckBudgetPerByte = 4;
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

uint32_t le32(const uint8_t *p) {
    return le16(p) | (static_cast<uint32_t>(le16(p + 2)) << 16);
}

// Whether a chain of extended headers starting at pos with the first size
// `next` stays within total in few enough links; true when it leaves the
// available bytes first.
bool plausibleChain(const uint8_t *p, std::size_t available, std::size_t pos, std::size_t next,
                    std::size_t width, std::size_t total) {
    for (std::size_t links = 0; next != 0; ++links) {
        if (links == kMostLinksSearched || next < 1 + width || pos + next > total)
            return false;
        pos += next;
        if (pos > available)
            return true;
        next = width == 2 ? le16(p + pos - 2) : le32(p + pos - 4);
    }
    return true;
}

// The structural checks of a header that need no allocation, run before
// the full parse so that garbage dense with header-like bytes is passed
// over quickly. False only for bytes that cannot be a header; true when
// unsure (too few bytes here), leaving the decision to the parser.
bool plausibleHeader(const uint8_t *p, std::size_t available) {
    constexpr std::size_t kLevel0NoCrc = 22;  // through the name, without the CRC
    constexpr std::size_t kLevel01Fixed = 24; // through the CRC after the name
    constexpr std::size_t kLevel2Fixed = 26;  // through the first extension's size
    constexpr std::size_t kLevel3Fixed = 32;
    constexpr std::size_t kLevel3TotalAt = 24;
    constexpr std::size_t kNameLength = 21;
    const uint8_t level = p[kLevelByte];
    if (available < kLevel3Fixed)
        return true;
    if (level <= 1) {
        const std::size_t base = static_cast<std::size_t>(p[0]) + 2;
        const std::size_t name = p[kNameLength];
        if (base < kLevel01Fixed + name && !(level == 0 && base == kLevel0NoCrc + name))
            return false;
        if (base > available)
            return true;
        uint8_t sum = 0;
        for (std::size_t i = 2; i < base; ++i)
            sum = static_cast<uint8_t>(sum + p[i]);
        if (sum != p[1])
            return false;
        return level == 0 ||
               plausibleChain(p, available, base, le16(p + base - 2), 2, kMaxHeaderSize);
    }
    if (level == 3)
        return le16(p) == 4 &&
               plausibleChain(p, available, kLevel3Fixed, le32(p + kLevel3Fixed - 4), 4,
                              le32(p + kLevel3TotalAt));
    const std::size_t total = le16(p);
    return total >= kLevel2Fixed &&
           plausibleChain(p, available, kLevel2Fixed, le16(p + kLevel2Fixed - 2), 2, total + 2);
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
    const std::size_t stored =
        std::max(header.name.size() + header.directory.size(),
                 header.utf16Name.value_or("").size() + header.utf16Directory.value_or("").size());
    if (stored <= kLongestName)
        return false;
    // A copy rather than resize, which would keep the long name's memory.
    auto cut = [](std::string &s) { s = s.substr(0, kShownOfLongName); };
    cut(header.name);
    cut(header.directory);
    if (header.utf16Name)
        cut(*header.utf16Name);
    if (header.utf16Directory)
        cut(*header.utf16Directory);
    return true;
}

// The member header after an end mark at `mark`, when one follows it.
std::optional<uint64_t> memberAfterEnd(Window &window, uint64_t size, uint64_t mark) {
    const auto found = findHeader(window, size, mark + 1, mark + 1 + kStubLimit);
    Header header;
    std::string why;
    if (!found || headerAt(window, size, *found, header, why) != HeaderStatus::Ok ||
        header.packedSize > size - *found - header.headerSize)
        return std::nullopt;
    return found;
}

// How a chain of members from a header ends: at the end of the file or at an
// end mark (complete), at an end mark with more members after it, or at a
// header or data that is not whole (broken).
struct ChainEnd {
    enum { Complete, MoreAfterEnd, Broken } how = Complete;
    uint64_t next = 0; // for MoreAfterEnd: the member after the end mark
};

ChainEnd followChain(Window &window, uint64_t size, uint64_t offset) {
    Header header;
    std::string why;
    while (offset < size) {
        const auto status = headerAt(window, size, offset, header, why);
        if (status == HeaderStatus::End) {
            if (const auto next = memberAfterEnd(window, size, offset))
                return {ChainEnd::MoreAfterEnd, *next};
            return {};
        }
        if (status != HeaderStatus::Ok || header.packedSize > size - offset - header.headerSize)
            return {ChainEnd::Broken};
        offset += header.headerSize + header.packedSize;
    }
    return {};
}

// Whether the bytes before the first header are a self-extracting program:
// they start like one or carry a self-extractor's name.
bool isProgram(const ArchiveSource &source, uint64_t length) {
    std::string bytes(static_cast<std::size_t>(length), '\0');
    bytes.resize(source.readAt(0, reinterpret_cast<uint8_t *>(bytes.data()), bytes.size()));
    for (const auto start : kProgramStarts)
        if (bytes.starts_with(start))
            return true;
    for (const auto marker : kStubMarkers)
        if (bytes.find(marker) != std::string::npos)
            return true;
    return false;
}

// Where the first header is: at the start, or after a self-extractor's
// code. badStart is set when the start looks like a header but fails its
// checks, which is a damaged archive, not a self-extractor's stub.
// A self-extractor may carry a tiny archive of its own (its usage text)
// before the one it extracts: the archive meant is the chain of members
// that runs to the end of the file, not one that ends where more follow.
std::optional<uint64_t> findFirstHeader(const ArchiveSource &source, Window &window, bool &badStart,
                                        std::string &why) {
    const uint64_t size = source.size();
    Header header;
    if (headerAt(window, size, 0, header, why) == HeaderStatus::Ok)
        return 0;
    std::size_t available = 0;
    const uint8_t *start = window.at(0, kHeaderProbe, available);
    badStart = looksLikeHeader(start, available);
    const auto first = size > 0 ? findHeader(window, size, 0, kStubLimit) : std::nullopt;
    if (!first || badStart)
        return first;
    ChainEnd chain = followChain(window, size, *first);
    if (chain.how != ChainEnd::MoreAfterEnd || !isProgram(source, *first))
        return first;
    for (int starts = 1; starts < kMostStarts && chain.how == ChainEnd::MoreAfterEnd; ++starts) {
        const uint64_t next = chain.next;
        chain = followChain(window, size, next);
        if (chain.how != ChainEnd::MoreAfterEnd)
            return next;
    }
    return first;
}

} // namespace

Scan::Scan(const ArchiveSource &source, std::optional<Charset> charset,
           const SurveyedData &surveyed)
    : m_source(source), m_window(std::make_unique<HeaderWindow>(source)),
      m_checkBudget(kCheckBudgetBase + kCheckBudgetPerByte * source.size()),
      m_reading(charset.value_or(Charset::Detect), charset.has_value()) {
    if (!findFirstMember())
        return;
    SampledNames sample = sampleNames(surveyed);
    m_hasMembers = !sample.headers.empty();
    if (!m_reading.forced)
        m_reading.charset = guessCharset(sample.headers);
    learnFolders(std::move(sample));
    rewind();
}

bool Scan::findFirstMember() {
    std::string why;
    bool badStart = false;
    m_first = findFirstHeader(m_source, *m_window, badStart, why);
    // Said even when members follow.
    if (badStart)
        damaged("bad header at offset 0: " + why);
    if (m_first) {
        m_findings.start = *m_first;
        return true;
    }
    if (m_source.ioError()) {
        m_findings.error = Error::ArchiveUnreadable;
        m_findings.message = "read error";
    } else if (m_findings.error == Error::None) {
        m_findings.error = Error::NotAnArchive;
        m_findings.message = "no LHA header found";
    }
    return false;
}

// The names of the first members, which are enough to guess the charset.
Scan::SampledNames Scan::sampleNames(const SurveyedData &surveyed) {
    SampledNames sample;
    sample.headers.reserve(kCharsetSampleHeaders);
    std::size_t sampleBytes = 0;
    Header header;
    uint64_t offset = 0;
    rewind();
    while (sampleBytes < kCharsetSample && sample.headers.size() < kCharsetSampleHeaders) {
        if (!nextHeader(header, offset)) {
            sample.wholeArchive = true;
            break;
        }
        if (surveyed) {
            Entry data = fileEntryForData(header, offset + header.headerSize);
            data.truncated = cutShort(header, offset);
            surveyed(memberData(data));
        }
        sample.places.push_back({offset, cutLongName(header)});
        sampleBytes += header.name.size() + header.directory.size();
        sample.headers.push_back(std::move(header));
    }
    return sample;
}

// Once the charset is known: which folders OS/2 attribute data must give way
// to. Most archives are wholly in the sample, and need no second walk.
void Scan::learnFolders(SampledNames sample) {
    if (sample.wholeArchive) {
        m_surveyed.reserve(sample.headers.size());
        for (std::size_t i = 0; i < sample.headers.size(); ++i) {
            m_surveyed.push_back(
                entryOf(sample.headers[i], sample.places[i].offset, sample.places[i].longName));
            m_attributes.learn(m_surveyed.back());
        }
        return;
    }
    sample = {};
    Header header;
    uint64_t offset = 0;
    rewind();
    while (nextHeader(header, offset))
        m_attributes.learn(entryOf(header, offset));
}

Scan::~Scan() = default;

void Scan::rewind() {
    m_offset = m_first;
    m_searchAt.reset();
    m_nextSearch = 0;
    m_servedNext = m_surveyed.empty() ? kNotServing : 0;
    m_attributes.startWalk();
}

std::optional<uint64_t> Scan::searchFrom(uint64_t from) {
    // Enough for any archive that is more than garbage.
    constexpr std::size_t kMostSearchesKept = 64 * 1024;
    if (m_nextSearch < m_searches.size() && m_searches[m_nextSearch].from == from)
        return m_searches[m_nextSearch++].found;
    const auto found = checkedHeader(from);
    if (m_nextSearch == m_searches.size() && m_searches.size() < kMostSearchesKept) {
        m_searches.push_back({from, found});
        ++m_nextSearch;
    }
    return found;
}

// The first valid header from `from` on. A false one in garbage can claim
// data that holds real members; when another valid header lies inside its
// data, it is taken only if its data checks out.
std::optional<uint64_t> Scan::checkedHeader(uint64_t from) {
    const uint64_t size = m_source.size();
    std::optional<uint64_t> found;
    for (int checks = 0; checks < kMostDataChecks; ++checks) {
        found = findHeader(*m_window, size, from, size);
        if (!found)
            return found;
        Header header;
        std::string why;
        headerAt(*m_window, size, *found, header, why);
        const uint64_t dataOffset = *found + header.headerSize;
        const uint64_t cost = header.packedSize + header.originalSize;
        if (header.packedSize > size - dataOffset || header.originalSize > kMostBytesChecked ||
            cost > m_checkBudget)
            return found;
        m_checkBudget -= cost;
        if (!findHeader(*m_window, size, dataOffset, dataOffset + header.packedSize))
            return found;
        const MemberData data = memberData(makeEntry(header, dataOffset, m_reading));
        if (decodeVerified(m_source, data, [](Chunk &&) { return true; }).error == Error::None)
            return found;
        from = *found + 1;
    }
    return found;
}

void Scan::noteMembersAfterEnd(uint64_t mark) {
    if (m_checkedAfterEnd)
        return;
    m_checkedAfterEnd = true;
    if (const auto next = memberAfterEnd(*m_window, m_source.size(), mark))
        m_findings.warning = "data after the end of the archive: a member header at offset " +
                             std::to_string(*next) + " is passed over";
}

void Scan::damaged(std::string why) {
    if (m_findings.error != Error::None)
        return;
    m_findings.error = m_source.ioError() ? Error::ArchiveUnreadable : Error::Damaged;
    m_findings.message = std::move(why);
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
            noteMembersAfterEnd(offset);
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

bool Scan::cutShort(const Header &header, uint64_t offset) const {
    const uint64_t size = m_source.size();
    const uint64_t dataOffset = offset + header.headerSize;
    const uint64_t left = dataOffset <= size ? size - dataOffset : 0;
    return header.packedSize > left;
}

Entry Scan::entryOf(const Header &header, uint64_t offset, bool longName) const {
    Entry entry = makeEntry(header, offset + header.headerSize, m_reading);
    entry.truncated = cutShort(header, offset);
    if (longName) {
        entry.refusal = "the name is longer than any path the system allows";
        entry.info.name += "...";
    }
    return entry;
}

std::vector<Entry> Scan::next(std::size_t count, std::size_t mostBytes) {
    if (m_servedNext != kNotServing)
        return nextSurveyed(count, mostBytes);
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

// As next(), from the survey's entries, which go to the walk: a later walk
// reads the headers. An archive that fits one batch is handed over whole.
std::vector<Entry> Scan::nextSurveyed(std::size_t count, std::size_t mostBytes) {
    const std::size_t surveyed = m_surveyed.size();
    std::size_t end = m_servedNext;
    std::size_t bytes = 0;
    for (; end < surveyed && end - m_servedNext < count && bytes < mostBytes; ++end) {
        m_attributes.keepApart(m_surveyed[end]);
        bytes += heldBytes(m_surveyed[end]);
    }
    std::vector<Entry> batch;
    if (m_servedNext == 0 && end == surveyed)
        batch = std::move(m_surveyed);
    else
        batch.assign(
            std::make_move_iterator(m_surveyed.begin() + static_cast<std::ptrdiff_t>(m_servedNext)),
            std::make_move_iterator(m_surveyed.begin() + static_cast<std::ptrdiff_t>(end)));
    m_servedNext = end;
    if (end == surveyed) {
        // The walk ends here, as the survey's did.
        m_offset.reset();
        m_servedNext = kNotServing;
        m_surveyed = {};
    }
    return batch;
}

} // namespace lha
