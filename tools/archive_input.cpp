// SPDX-License-Identifier: MIT
#include "archive_input.h"

#include "invocation.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace unlha {
namespace {

constexpr std::size_t kCopyBlock = 1 << 20;
constexpr const char *kDefaultTemporaryFolder = "/tmp";
constexpr const char *kSpoolTemplate = "/unlha-stdin-XXXXXX";

// An open descriptor as a name the engine can open.
std::filesystem::path descriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

std::string temporaryFolder() {
    const char *folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : kDefaultTemporaryFolder;
}

// A file with no name in folder; where the file system cannot make one,
// a named file removed at once.
int openSpool(const std::string &folder, std::string &why) {
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd >= 0)
        return fd;
    std::string name = folder + kSpoolTemplate;
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        why = "cannot make a temporary file in " + lha::printable(folder) + ": " +
              std::strerror(errno);
        return -1;
    }
    ::unlink(name.c_str());
    return fd;
}

bool writeAll(int fd, const char *data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

ArchiveInput::ArchiveInput(const std::filesystem::path &archive, const std::atomic<bool> *cancel)
    : m_path(archive) {
    if (archive == kStandardInput)
        takeStandardInput(cancel);
}

void ArchiveInput::fail(lha::Error error, std::string message) {
    m_failure.error = error;
    m_failure.message = std::move(message);
}

void ArchiveInput::takeStandardInput(const std::atomic<bool> *cancel) {
    struct stat st {};
    if (::fstat(STDIN_FILENO, &st) != 0)
        return fail(lha::Error::ArchiveUnreadable,
                    std::string("cannot read standard input: ") + std::strerror(errno));
    if (::isatty(STDIN_FILENO))
        return fail(lha::Error::ArchiveUnreadable,
                    "standard input is a terminal: pipe the archive in, or name it");
    // A regular file read from its start needs no copy. Read from further
    // on, as after "head -c N >/dev/null", the archive is what is left.
    if (S_ISREG(st.st_mode) && ::lseek(STDIN_FILENO, 0, SEEK_CUR) == 0) {
        m_path = descriptorPath(STDIN_FILENO);
        return;
    }
    const std::string folder = temporaryFolder();
    std::string why;
    m_spool.reset(openSpool(folder, why));
    if (!m_spool)
        return fail(lha::Error::ArchiveUnreadable, "cannot keep standard input: " + why);
    std::vector<char> block(kCopyBlock);
    for (;;) {
        if (cancel && cancel->load())
            return fail(lha::Error::Cancelled, "cancelled while reading standard input");
        const ssize_t n = ::read(STDIN_FILENO, block.data(), block.size());
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(lha::Error::ArchiveUnreadable,
                        std::string("cannot read standard input: ") + std::strerror(errno));
        }
        if (!writeAll(m_spool.get(), block.data(), static_cast<std::size_t>(n)))
            return fail(lha::Error::ArchiveUnreadable, "cannot keep standard input in " +
                                                           lha::printable(folder) + ": " +
                                                           std::strerror(errno));
    }
    m_path = descriptorPath(m_spool.get());
}

std::string shownArchive(const std::filesystem::path &archive) {
    return archive == kStandardInput ? "standard input" : lha::printable(archive.string());
}

} // namespace unlha
