// SPDX-License-Identifier: MIT
#include "destination.h"

#include <array>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <stdio.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace lha {
namespace {

// A new file under a name nothing has: never through a link, never over
// another file.
constexpr int kCreateExclusively = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;

// The access and modification times to give, a missing one left as it is;
// none when both are missing.
std::optional<std::array<timespec, 2>> timesToSet(const std::optional<timespec> &mtime,
                                                  const std::optional<timespec> &atime) {
    if (!mtime && !atime)
        return std::nullopt;
    return std::array<timespec, 2>{atime.value_or(timespec{0, UTIME_OMIT}),
                                   mtime.value_or(timespec{0, UTIME_OMIT})};
}

// Longest part of a member's name kept in its temporary name, which must
// stay within the file system's limit on a name's length.
constexpr std::size_t kTempNameStem = 200;
constexpr int kTempNameAttempts = 8;

// The umask without changing it (umask() would race with other threads of
// the process): Linux reports it in /proc.
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    return 022;
}

bool isFatal(int error) {
    return error == ENOSPC || error == EDQUOT || error == EROFS;
}

std::string tempNameFor(const std::string &name) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char suffix[20];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
    std::string temp(".");
    temp.append(name, 0, kTempNameStem).append(".hokora-").append(suffix);
    return temp;
}

// Opens one folder below `parent` without following a link, creating it
// when asked; created tells whether this call made it.
UniqueFd openChild(int parent, const std::string &name, bool create, bool &created,
                   WriteFailure &failure) {
    created = false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        UniqueFd fd(
            ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (fd)
            return fd;
        const int error = errno;
        if (error == ENOENT && create && attempt == 0) {
            if (::mkdirat(parent, name.c_str(), 0777) == 0) {
                created = true;
                continue;
            }
            if (errno == EEXIST)
                continue;
            failure = writeFailure(errno, "cannot create folder \"" + name + "\"");
            return {};
        }
        struct stat st {};
        if (::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
            failure = {Error::UnsafeName,
                       "\"" + name +
                           "\" on the path is a symbolic link; nothing is written through it",
                       false};
            return {};
        }
        if (error == ENOTDIR || error == ELOOP)
            failure = {Error::WriteFailed, "\"" + name + "\" on the path is not a folder", false};
        else
            failure = writeFailure(error, "cannot open folder \"" + name + "\"");
        return {};
    }
    failure = {Error::WriteFailed, "cannot open folder \"" + name + "\"", false};
    return {};
}

} // namespace

WriteFailure writeFailure(int error, const std::string &what) {
    return {Error::WriteFailed, what + ": " + std::strerror(error), isFatal(error)};
}

bool replaceWithSymlink(int folder, const std::string &name, const std::string &target,
                        WriteFailure &failure) {
    // symlinkat never replaces: a name some other file has is told by EEXIST.
    std::string temp;
    int error = EEXIST;
    for (int attempt = 0; attempt < kTempNameAttempts && error == EEXIST; ++attempt) {
        temp = tempNameFor(name);
        error = ::symlinkat(target.c_str(), folder, temp.c_str()) == 0 ? 0 : errno;
    }
    if (error != 0) {
        failure = writeFailure(error, "cannot replace with the link");
        return false;
    }
    if (::renameat(folder, temp.c_str(), folder, name.c_str()) != 0) {
        failure = writeFailure(errno, "cannot replace with the link");
        ::unlinkat(folder, temp.c_str(), 0);
        return false;
    }
    return true;
}

void setTimes(int folder, const std::string &name, const std::optional<timespec> &mtime,
              const std::optional<timespec> &atime) {
    if (const auto times = timesToSet(mtime, atime))
        ::utimensat(folder, name.c_str(), times->data(), AT_SYMLINK_NOFOLLOW);
}

Destination::Destination(UniqueFd root) : m_root(std::move(root)), m_umask(currentUmask()) {}

bool Destination::hasRoomFor(uint64_t bytes) const {
    // Room that others' writes meanwhile, and the file system's own
    // bookkeeping, may take.
    constexpr uint64_t kSpare = 64 * 1024 * 1024;
    struct statvfs fs {};
    if (::fstatvfs(m_root.get(), &fs) != 0)
        return false;
    return static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize >= bytes + kSpare;
}

std::unique_ptr<Destination> Destination::open(const std::filesystem::path &path,
                                               std::string &why) {
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
        why = std::strerror(errno);
        return nullptr;
    }
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) {
        why = std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<Destination>(new Destination(std::move(fd)));
}

int Destination::folder(const std::vector<std::string> &path, std::size_t depth, bool create,
                        WriteFailure &failure) {
    if (depth == 0)
        return m_root.get();
    std::size_t same = 0;
    while (same < m_kept.size() && same < depth && m_kept[same].name == path[same])
        ++same;
    if (same == depth)
        return m_kept[depth - 1].fd.get();
    m_kept.resize(same);
    PathHasher walked;
    for (std::size_t i = 0; i < same; ++i)
        walked.add(path[i]);
    int folder = same == 0 ? m_root.get() : m_kept.back().fd.get();
    for (std::size_t i = same; i < depth; ++i) {
        bool made = false;
        UniqueFd child = openChild(folder, path[i], create, made, failure);
        if (!child)
            return -1;
        walked.add(path[i]);
        if (made)
            m_created.insert(walked.value());
        if (i < kMostKeptOpen) {
            m_kept.push_back({path[i], std::move(child)});
            folder = m_kept.back().fd.get();
        } else {
            m_deep = std::move(child);
            folder = m_deep.get();
        }
    }
    return folder;
}

OutputFile::~OutputFile() {
    discard();
}

bool OutputFile::create(int folder, const std::string &name, mode_t mode,
                        Destination::FileCreation &how, WriteFailure &failure) {
    m_folder = folder;
    m_name = name;
    m_how = &how;
    if (how.unnamed) {
        m_fd.reset(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
        if (m_fd)
            return true;
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            failure = writeFailure(errno, "cannot create the file");
            m_folder = -1;
            return false;
        }
        how.unnamed = false;
    }
    return createNamed(mode, failure);
}

bool OutputFile::spool(int folder, WriteFailure &failure) {
    // Readable too, for the copy place() may have to make.
    m_fd.reset(::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (m_fd)
        return true;
    failure = writeFailure(errno, "cannot create the file");
    return false;
}

bool OutputFile::place(int folder, const std::string &name, mode_t mode,
                       Destination::FileCreation &how, WriteFailure &failure) {
    struct stat spooled {};
    struct stat target {};
    if (::fstat(m_fd.get(), &spooled) != 0 || ::fstat(folder, &target) != 0) {
        failure = writeFailure(errno, "cannot create the file");
        return false;
    }
    if (spooled.st_dev == target.st_dev) {
        m_folder = folder;
        m_name = name;
        m_how = &how;
        if (::fchmod(m_fd.get(), mode) == 0)
            return true;
        failure = writeFailure(errno, "cannot create the file");
        return false;
    }
    OutputFile copy;
    if (!copy.create(folder, name, mode, how, failure))
        return false;
    off_t from = 0;
    while (from < spooled.st_size) {
        const ssize_t done = ::sendfile(copy.m_fd.get(), m_fd.get(), &from,
                                        static_cast<std::size_t>(spooled.st_size - from));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            failure = writeFailure(done < 0 ? errno : ENOSPC, "cannot write the file");
            return false;
        }
    }
    std::swap(m_folder, copy.m_folder);
    std::swap(m_fd, copy.m_fd);
    std::swap(m_name, copy.m_name);
    std::swap(m_tempName, copy.m_tempName);
    std::swap(m_how, copy.m_how);
    return true;
}

OutputFile::Committed OutputFile::createWhole(int folder, const std::string &name, mode_t mode,
                                              const std::vector<std::span<const uint8_t>> &content,
                                              const std::optional<timespec> &mtime,
                                              const std::optional<timespec> &atime,
                                              WriteFailure &failure) {
    OutputFile file;
    file.m_fd.reset(::openat(folder, name.c_str(), kCreateExclusively, mode));
    if (!file.m_fd) {
        if (errno == EEXIST)
            return Committed::Exists;
        failure = writeFailure(errno, "cannot create the file");
        return Committed::Failed;
    }
    bool written = true;
    for (const auto &piece : content)
        written = written && file.write(piece.data(), piece.size(), failure);
    file.setTimes(mtime, atime);
    if (written && file.close(failure))
        return Committed::Ok;
    file.m_fd.reset();
    ::unlinkat(folder, name.c_str(), 0);
    return Committed::Failed;
}

void OutputFile::setTimes(const std::optional<timespec> &mtime,
                          const std::optional<timespec> &atime) {
    if (const auto times = timesToSet(mtime, atime))
        ::futimens(m_fd.get(), times->data());
}

bool OutputFile::createNamed(mode_t mode, WriteFailure &failure) {
    for (int attempt = 0; attempt < kTempNameAttempts && !m_fd; ++attempt) {
        m_tempName = tempNameFor(m_name);
        m_fd.reset(::openat(m_folder, m_tempName.c_str(), kCreateExclusively, mode));
        if (!m_fd && errno != EEXIST)
            break;
    }
    if (m_fd)
        return true;
    failure = writeFailure(errno, "cannot create the file");
    m_tempName.clear();
    m_folder = -1;
    return false;
}

bool OutputFile::write(const uint8_t *data, std::size_t size, WriteFailure &failure) {
    while (size > 0) {
        const ssize_t done = ::write(m_fd.get(), data, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            failure = writeFailure(done < 0 ? errno : ENOSPC, "cannot write the file");
            return false;
        }
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

OutputFile::Committed OutputFile::commit(const std::optional<timespec> &mtime,
                                         const std::optional<timespec> &atime,
                                         WriteFailure &failure) {
    setTimes(mtime, atime);
    Committed done;
    if (m_tempName.empty()) {
        done = linkUnnamed(m_name.c_str(), failure);
        if (done == Committed::Ok && !close(failure)) {
            ::unlinkat(m_folder, m_name.c_str(), 0);
            done = Committed::Failed;
        }
    } else {
        done = close(failure) ? moveIntoPlace(failure) : Committed::Failed;
    }
    if (done == Committed::Failed)
        discard();
    else if (done == Committed::Ok)
        m_folder = -1;
    return done;
}

// Names the unnamed file; linkat never replaces, so a taken name is told
// by EEXIST.
OutputFile::Committed OutputFile::linkUnnamed(const char *name, WriteFailure &failure) {
    if (m_how->linkByDescriptor) {
        if (::linkat(m_fd.get(), "", m_folder, name, AT_EMPTY_PATH) == 0)
            return Committed::Ok;
        if (errno == EEXIST)
            return Committed::Exists;
        // Linking by descriptor needs a privilege most users lack.
        if (errno != EPERM && errno != ENOENT && errno != EINVAL) {
            failure = writeFailure(errno, "cannot create the file");
            return Committed::Failed;
        }
        m_how->linkByDescriptor = false;
    }
    char path[32];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", m_fd.get());
    if (::linkat(AT_FDCWD, path, m_folder, name, AT_SYMLINK_FOLLOW) == 0)
        return Committed::Ok;
    if (errno == EEXIST)
        return Committed::Exists;
    if (errno == ENOENT)
        m_how->unnamed = false; // no /proc: later files get temporary names
    failure = writeFailure(errno, "cannot create the file");
    return Committed::Failed;
}

bool OutputFile::close(WriteFailure &failure) {
    if (::close(m_fd.release()) == 0)
        return true;
    failure = writeFailure(errno, "cannot write the file");
    return false;
}

bool OutputFile::replace(WriteFailure &failure) {
    if (m_tempName.empty()) {
        // A name of its own first, so that the rename below can replace.
        Committed linked = Committed::Exists;
        for (int attempt = 0; attempt < kTempNameAttempts && linked == Committed::Exists;
             ++attempt) {
            m_tempName = tempNameFor(m_name);
            linked = linkUnnamed(m_tempName.c_str(), failure);
        }
        if (linked != Committed::Ok) {
            if (linked == Committed::Exists)
                failure = writeFailure(EEXIST, "cannot create the file");
            m_tempName.clear();
            discard();
            return false;
        }
        if (!close(failure)) {
            discard();
            return false;
        }
    }
    if (::renameat(m_folder, m_tempName.c_str(), m_folder, m_name.c_str()) == 0) {
        m_tempName.clear();
        m_folder = -1;
        return true;
    }
    if (errno == EISDIR)
        failure = {Error::Exists, "a folder of this name exists", false};
    else
        failure = writeFailure(errno, "cannot replace the file");
    discard();
    return false;
}

OutputFile::Committed OutputFile::moveIntoPlace(WriteFailure &failure) {
    const char *from = m_tempName.c_str();
    const char *to = m_name.c_str();
    if (::renameat2(m_folder, from, m_folder, to, RENAME_NOREPLACE) == 0)
        return Committed::Ok;
    int error = errno;
    if (error == EINVAL || error == ENOSYS) {
        // A file system without no-replace renames: a hard link cannot
        // replace either.
        if (::linkat(m_folder, from, m_folder, to, 0) == 0) {
            ::unlinkat(m_folder, from, 0);
            return Committed::Ok;
        }
        error = errno;
        // Nor hard links (FAT): look, then rename, leaving a short race.
        struct stat st {};
        if (error != EEXIST) {
            if (::fstatat(m_folder, to, &st, AT_SYMLINK_NOFOLLOW) == 0)
                error = EEXIST;
            else if (errno == ENOENT && ::renameat(m_folder, from, m_folder, to) == 0)
                return Committed::Ok;
            else
                error = errno;
        }
    }
    if (error == EEXIST)
        return Committed::Exists;
    failure = writeFailure(error, "cannot create the file");
    return Committed::Failed;
}

void OutputFile::discard() {
    if (m_folder < 0)
        return;
    m_fd.reset();
    if (!m_tempName.empty())
        ::unlinkat(m_folder, m_tempName.c_str(), 0);
    m_tempName.clear();
    m_folder = -1;
}

} // namespace lha
