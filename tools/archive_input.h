// SPDX-License-Identifier: MIT
#pragma once
// The archive a run reads: the file named on the command line, or standard
// input for "-". The engine opens archives by name and reads them at any
// offset, so a pipe is first copied into an unnamed temporary file (in
// $TMPDIR, else /tmp): what it holds is bounded by the disk, not by memory,
// and the file vanishes with the process however the process ends. A
// regular file redirected to standard input is read in place.
#include "lha/lha.h"
#include "unique_fd.h"

#include <atomic>
#include <filesystem>
#include <string>

namespace unlha {

class ArchiveInput {
public:
    // cancel, when given, stops the copying of a pipe once it turns true.
    ArchiveInput(const std::filesystem::path &archive, const std::atomic<bool> *cancel);

    // What the engine opens; valid while this object lives.
    const std::filesystem::path &path() const { return m_path; }
    // Why the archive cannot be read, as a run's result; ok() when it can.
    const lha::Result &failure() const { return m_failure; }

private:
    void takeStandardInput(const std::atomic<bool> *cancel);
    void fail(lha::Error error, std::string message);

    std::filesystem::path m_path;
    lha::UniqueFd m_spool;
    lha::Result m_failure;
};

// How messages name an archive: "standard input" for "-".
std::string shownArchive(const std::filesystem::path &archive);

} // namespace unlha
