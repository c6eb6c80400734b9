// SPDX-License-Identifier: MIT
#pragma once
// Walks an archive's headers from the first valid one to the end mark.
#include "entry.h"
#include "member_data.h"
#include "source.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lha {

class HeaderWindow;

// What the walk over the headers found besides the members: where the
// archive starts, damage, and what it passed over.
struct ScanFindings {
    uint64_t start = 0;        // where the first member starts; 0 when there is none
    Error error = Error::None; // NotAnArchive, Damaged or ArchiveUnreadable
    std::string message;
    // Members after the end mark, which are passed over; empty when none.
    std::string warning;
};

// An archive's headers, surveyed once and then walked by a Cursor as often
// as a run needs, keeping nothing per member beyond the survey's sample: an
// archive of millions of members costs what one batch does. An archive the
// sample holds whole is walked from the entries the survey made of it.
//
// The survey (the constructor) finds the first header, guesses the names'
// charset from the first ones, and learns which folders OS/2 attribute data
// must give way to: one walk over the headers, two when the archive is
// larger than the charset sample. Damage met on any walk is in findings().
class Scan {
public:
    // Told, during the survey, of each header's data as a file member's
    // would decode, in archive order: a run may start decoding while the
    // survey goes on. Whether the member is a file, and whether it takes
    // part, is known only once its name is read.
    using SurveyedData = std::function<void(const MemberData &)>;

    // The first header may sit after a self-extracting program: it is
    // searched for within the first MiB. The names are read in `charset`
    // when given, else in the charset guessed from them.
    explicit Scan(const ArchiveSource &source, std::optional<Charset> charset = std::nullopt,
                  const SurveyedData &surveyed = {});
    ~Scan();
    Scan(const Scan &) = delete;
    Scan &operator=(const Scan &) = delete;

    bool hasMembers() const { return m_hasMembers; }
    const ScanFindings &findings() const { return m_findings; }

private:
    friend class Cursor;
    struct SampledNames {
        struct Place {
            uint64_t offset;
            bool longName;
        };
        std::vector<Header> headers;
        std::vector<Place> places; // of each header
        bool wholeArchive = false; // the sample holds every member
    };

    // The survey's steps.
    bool findFirstMember();
    SampledNames sampleNames(const SurveyedData &surveyed);
    void learnFolders(SampledNames sample);

    // Starts the walk over from the first member.
    void rewind();
    // The entries of the next `count` members, in archive order, or fewer
    // when they would hold more than mostBytes (long names and deep paths);
    // empty once the walk has passed the last one.
    std::vector<Entry> next(std::size_t count, std::size_t mostBytes);
    std::vector<Entry> nextSurveyed(std::size_t count, std::size_t mostBytes);
    bool nextHeader(Header &header, uint64_t &offset);
    std::optional<uint64_t> searchFrom(uint64_t from);
    std::optional<uint64_t> checkedHeader(uint64_t from);
    void noteMembersAfterEnd(uint64_t mark);
    // Whether the archive ends inside the data of the header at offset.
    bool cutShort(const Header &header, uint64_t offset) const;
    // Cuts an over-long name first.
    Entry entryOf(Header &header, uint64_t offset) const;
    // A header whose name was cut already; longName tells whether it was.
    Entry entryOf(const Header &header, uint64_t offset, bool longName) const;
    void damaged(std::string why);

    const ArchiveSource &m_source;
    std::unique_ptr<HeaderWindow> m_window;
    std::optional<uint64_t> m_first;    // the first header, when there is one
    std::optional<uint64_t> m_offset;   // the next header; none once the walk ended
    std::optional<uint64_t> m_searchAt; // look for the next header from here
    // Where each search for the next header after damage led, in walk order,
    // so that the walks after the first do not search the same garbage again.
    struct Search {
        uint64_t from;
        std::optional<uint64_t> found;
    };
    std::vector<Search> m_searches;
    std::size_t m_nextSearch = 0;
    bool m_hasMembers = false;
    ScanFindings m_findings;
    bool m_checkedAfterEnd = false;
    uint64_t m_checkBudget; // bytes the checks of found headers may still cost
    NameReading m_reading;
    FolderAttributes m_attributes;
    // When the survey read every member, the entries it made of them, which
    // each walk from the start hands out in place of reading the headers
    // again; the walk ends with them, as the survey's did. m_servedNext is
    // the next one to hand out, kNotServing on a walk of the headers.
    std::vector<Entry> m_surveyed;
    static constexpr std::size_t kNotServing = SIZE_MAX;
    std::size_t m_servedNext = kNotServing;
};

} // namespace lha
