#pragma once
// The one place where the engine writes. Everything is created relative to
// an open descriptor of the destination folder, folders are walked without
// following symbolic links, and files are created without following them, so
// no write can land outside the destination.
#include "lha/lha.h"

#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace lha {

struct WriteFailure {
    Error error = Error::WriteFailed;
    std::string message;
    bool fatal = false; // the destination itself is unusable: stop the run
};

class Destination {
public:
    // Opens the destination folder, creating it (and its parents) when missing.
    static std::unique_ptr<Destination> open(const std::filesystem::path &path, std::string &why);
    ~Destination();
    Destination(const Destination &) = delete;
    Destination &operator=(const Destination &) = delete;

    // The folder that holds the last component of path, created when
    // missing. The descriptor stays owned by the destination and is valid
    // until the next call.
    int folderOf(const std::vector<std::string> &path, WriteFailure &failure);
    // Opens (creating when missing) the folder named by path; -1 on failure.
    // The caller closes the descriptor.
    int openFolder(const std::vector<std::string> &path, bool create, WriteFailure &failure);

    // Permission bits for a member: the archive's, masked by the umask and
    // without setuid, setgid and sticky.
    mode_t permissions(uint32_t mode) const { return mode & 0777 & ~m_umask; }
    mode_t umask() const { return m_umask; }

private:
    explicit Destination(int fd);
    void forgetCachedFolder();

    int m_root = -1;
    mode_t m_umask = 022;
    std::vector<std::string> m_cachedPath;
    int m_cachedFd = -1;
};

// A file being written: created new, or as a temporary beside an existing
// file that replaces it only once its content checked out.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    enum class Opened { Ok, Exists, Failed };
    Opened create(int folder, const std::string &name, bool replace, WriteFailure &failure);
    bool write(const uint8_t *data, std::size_t size, WriteFailure &failure);
    // Sets mode and times, closes, and moves a replacement into place.
    bool commit(std::optional<mode_t> mode, const std::optional<timespec> &mtime,
                const std::optional<timespec> &atime, WriteFailure &failure);
    // Removes what was written; what existed before stays.
    void discard();

private:
    int m_folder = -1;
    int m_fd = -1;
    std::string m_name;
    std::string m_tempName; // empty unless replacing
};

// Describes errno for a failed write, grading whether the run must stop.
WriteFailure writeFailure(int error, const std::string &what);

// Sets a file's times through its folder without following a link; a
// missing time is left alone.
void setTimes(int folder, const std::string &name, const std::optional<timespec> &mtime,
              const std::optional<timespec> &atime);

} // namespace lha
