// SPDX-License-Identifier: MIT
#pragma once
// The one place where the engine writes. Everything is created relative to
// an open descriptor of the destination folder, folders are walked without
// following symbolic links, and files are created without following them, so
// no write can land outside the destination.
#include "lha/lha.h"
#include "path_hashes.h"
#include "unique_fd.h"

#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
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
    // Opens the destination folder, creating it when missing; its parent
    // must exist, so that a mistaken path never grows a tree of folders.
    static std::unique_ptr<Destination> open(const std::filesystem::path &path, std::string &why);
    Destination(const Destination &) = delete;
    Destination &operator=(const Destination &) = delete;

    // The folder that holds the last component of path, created when
    // missing. The descriptor stays owned by the destination and is valid
    // until the next call of this or folder(); -1 on failure.
    int folderOf(const std::vector<std::string> &path, WriteFailure &failure) {
        return path.size() <= 1 ? m_root.get() : folder(path, path.size() - 1, true, failure);
    }
    // The folder named by the first `depth` components of path, created
    // when missing and asked to; as folderOf() otherwise.
    int folder(const std::vector<std::string> &path, std::size_t depth, bool create,
               WriteFailure &failure);
    // Whether this run created the folder, so that its mode and times are
    // ours to set; a folder that was there before is someone else's. Past
    // half a million folders new ones are no longer remembered, and keep
    // the mode and time they were made with.
    bool created(const std::vector<std::string> &path) const {
        return m_created.contains(pathHash(path, path.size()));
    }

    // Permission bits for a member: the archive's, masked by the umask and
    // without setuid, setgid and sticky.
    mode_t permissions(uint32_t mode) const { return mode & 0777 & ~m_umask; }
    mode_t umask() const { return m_umask; }
    // The destination folder itself, for files that have no place yet.
    int root() const { return m_root.get(); }
    // Whether the destination's file system has room for `bytes` and some
    // to spare, as far as it can tell; safe from any thread.
    bool hasRoomFor(uint64_t bytes) const;

    // How files are created here: unnamed (O_TMPFILE) and linked under
    // their name once checked, or under a temporary name and renamed.
    // Learnt from the file system on first use and kept for the run.
    struct FileCreation {
        bool unnamed = true;
        bool linkByDescriptor = true; // linkat(AT_EMPTY_PATH), else via /proc
    };
    FileCreation &fileCreation() { return m_fileCreation; }

private:
    explicit Destination(UniqueFd root);

    UniqueFd m_root;
    mode_t m_umask = 022;
    // The folders along the last path walked (folderOf(), folder()), each
    // open, so that the next one is walked only from where the two part:
    // members come folder by folder. Up to kMostKeptOpen deep; a deeper
    // folder is held in m_deep alone, until the next call.
    struct KeptFolder {
        std::string name;
        UniqueFd fd;
    };
    static constexpr std::size_t kMostKeptOpen = 64;
    std::vector<KeptFolder> m_kept;
    UniqueFd m_deep;
    static constexpr std::size_t kMostCreated = 512 * 1024;
    PathHashSet m_created{kMostCreated};
    FileCreation m_fileCreation;
};

// A file being written. It has no name, or a temporary one beside its real
// one, and takes the real name only once its content checked out, so that
// an interrupted run never leaves a partial file under a member's name.
// Whether the name is taken is learnt only then, from the same call that
// takes it, which leaves no window between a check and the creation.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Creates the file with its final permission bits.
    bool create(int folder, const std::string &name, mode_t mode, Destination::FileCreation &how,
                WriteFailure &failure);
    enum class Committed { Ok, Exists, Failed };
    // An unnamed file in `folder`, written before its member's place is
    // known (a large member decoded ahead of its turn); false where the
    // file system has no unnamed files.
    bool spool(int folder, WriteFailure &failure);
    // Gives a spooled file the folder, name and permission bits commit()
    // then uses. Where the folder lies on another file system, the content
    // is copied into a new file there.
    bool place(int folder, const std::string &name, mode_t mode, Destination::FileCreation &how,
               WriteFailure &failure);
    // A file whose whole content is in hand and checked out already: it is
    // created under its name at once (exclusively, so never through a link
    // or over another file), written and given its times, and removed again
    // when writing fails. Exists when the name is taken, with nothing
    // written; one call that learns it and takes the name, as commit() does.
    static Committed createWhole(int folder, const std::string &name, mode_t mode,
                                 const std::vector<std::span<const uint8_t>> &content,
                                 const std::optional<timespec> &mtime,
                                 const std::optional<timespec> &atime, WriteFailure &failure);
    bool write(const uint8_t *data, std::size_t size, WriteFailure &failure);
    // Sets the times and gives the file its name; Exists when the name is
    // taken, leaving the file ready for replace() or discard().
    Committed commit(const std::optional<timespec> &mtime, const std::optional<timespec> &atime,
                     WriteFailure &failure);
    // Gives the file its name in place of whatever has it (not a folder).
    bool replace(WriteFailure &failure);
    // Removes what was written; what existed before stays.
    void discard();

private:
    bool createNamed(mode_t mode, WriteFailure &failure);
    void setTimes(const std::optional<timespec> &mtime, const std::optional<timespec> &atime);
    Committed linkUnnamed(const char *name, WriteFailure &failure);
    bool close(WriteFailure &failure);
    Committed moveIntoPlace(WriteFailure &failure);

    int m_folder = -1;
    UniqueFd m_fd;
    std::string m_name;
    std::string m_tempName; // empty while the file has no name
    Destination::FileCreation *m_how = nullptr;
};

// Describes errno for a failed write, grading whether the run must stop:
// only a full disk, a quota or a read-only file system stop it, since
// every other failure concerns one member.
WriteFailure writeFailure(int error, const std::string &what);

// Puts a symbolic link to target in place of whatever has the name (not a
// folder): the link is made under a temporary name no other file has, then
// renamed over it, so that nothing but the run's own link is ever removed.
bool replaceWithSymlink(int folder, const std::string &name, const std::string &target,
                        WriteFailure &failure);

// Sets a file's times through its folder without following a link; a
// missing time is left alone.
void setTimes(int folder, const std::string &name, const std::optional<timespec> &mtime,
              const std::optional<timespec> &atime);

} // namespace lha
