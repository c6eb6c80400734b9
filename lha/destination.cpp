#include "destination.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace lha {
namespace {

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
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EROFS:
    case EIO:
    case EACCES:
    case EPERM:
    case EFBIG:
    case EMFILE:
    case ENFILE:
    case ENOMEM:
        return true;
    }
    return false;
}

std::string tempNameFor(const std::string &name) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char suffix[20];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
    std::string temp(".");
    temp.append(name, 0, 200).append(".hokora-").append(suffix);
    return temp;
}

// Opens one folder below `parent` without following a link, creating it
// when asked.
int openChild(int parent, const std::string &name, bool create, WriteFailure &failure) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd =
            ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0)
            return fd;
        const int error = errno;
        if (error == ENOENT && create && attempt == 0) {
            if (::mkdirat(parent, name.c_str(), 0777) == 0 || errno == EEXIST)
                continue;
            failure = writeFailure(errno, "cannot create folder \"" + name + "\"");
            return -1;
        }
        struct stat st {};
        if (::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
            failure = {Error::UnsafeName,
                       "\"" + name +
                           "\" on the path is a symbolic link; nothing is written through it",
                       false};
            return -1;
        }
        if (error == ENOTDIR || (error == ELOOP))
            failure = {Error::WriteFailed, "\"" + name + "\" on the path is not a folder", false};
        else
            failure = writeFailure(error, "cannot open folder \"" + name + "\"");
        return -1;
    }
    failure = {Error::WriteFailed, "cannot open folder \"" + name + "\"", false};
    return -1;
}

} // namespace

WriteFailure writeFailure(int error, const std::string &what) {
    return {Error::WriteFailed, what + ": " + std::strerror(error), isFatal(error)};
}

void setTimes(int folder, const std::string &name, const std::optional<timespec> &mtime,
              const std::optional<timespec> &atime) {
    if (!mtime && !atime)
        return;
    timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
    if (atime)
        times[0] = *atime;
    if (mtime)
        times[1] = *mtime;
    ::utimensat(folder, name.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

Destination::Destination(int fd) : m_root(fd), m_umask(currentUmask()) {}

Destination::~Destination() {
    forgetCachedFolder();
    ::close(m_root);
}

std::unique_ptr<Destination> Destination::open(const std::filesystem::path &path,
                                               std::string &why) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<Destination>(new Destination(fd));
}

void Destination::forgetCachedFolder() {
    if (m_cachedFd >= 0)
        ::close(m_cachedFd);
    m_cachedFd = -1;
    m_cachedPath.clear();
}

int Destination::openFolder(const std::vector<std::string> &path, bool create,
                            WriteFailure &failure) {
    int fd = ::fcntl(m_root, F_DUPFD_CLOEXEC, 0);
    for (const auto &part : path) {
        const int child = openChild(fd, part, create, failure);
        ::close(fd);
        if (child < 0)
            return -1;
        fd = child;
    }
    return fd;
}

int Destination::folderOf(const std::vector<std::string> &path, WriteFailure &failure) {
    if (path.size() <= 1)
        return m_root;
    const std::vector<std::string> parent(path.begin(), path.end() - 1);
    if (m_cachedFd >= 0 && parent == m_cachedPath)
        return m_cachedFd;
    forgetCachedFolder();
    const int fd = openFolder(parent, true, failure);
    if (fd < 0)
        return -1;
    m_cachedFd = fd;
    m_cachedPath = parent;
    return fd;
}

OutputFile::~OutputFile() {
    discard();
}

OutputFile::Opened OutputFile::create(int folder, const std::string &name, bool replace,
                                      WriteFailure &failure) {
    m_name = name;
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    if (!replace) {
        m_fd = ::openat(folder, name.c_str(), flags, 0666);
        if (m_fd >= 0) {
            m_folder = folder;
            return Opened::Ok;
        }
        if (errno == EEXIST)
            return Opened::Exists;
        failure = writeFailure(errno, "cannot create the file");
        return Opened::Failed;
    }
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
        failure = {Error::Exists, "a folder of this name exists", false};
        return Opened::Failed;
    }
    for (int attempt = 0; attempt < 8 && m_fd < 0; ++attempt) {
        m_tempName = tempNameFor(name);
        m_fd = ::openat(folder, m_tempName.c_str(), flags, 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd >= 0) {
        m_folder = folder;
        return Opened::Ok;
    }
    m_tempName.clear();
    failure = writeFailure(errno, "cannot create the file");
    return Opened::Failed;
}

bool OutputFile::write(const uint8_t *data, std::size_t size, WriteFailure &failure) {
    while (size > 0) {
        const ssize_t done = ::write(m_fd, data, size);
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

bool OutputFile::commit(std::optional<mode_t> mode, const std::optional<timespec> &mtime,
                        const std::optional<timespec> &atime, WriteFailure &failure) {
    if (mode)
        ::fchmod(m_fd, *mode);
    if (mtime || atime) {
        timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
        if (atime)
            times[0] = *atime;
        if (mtime)
            times[1] = *mtime;
        ::futimens(m_fd, times);
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        failure = writeFailure(errno, "cannot write the file");
        discard();
        return false;
    }
    if (!m_tempName.empty()) {
        if (::renameat(m_folder, m_tempName.c_str(), m_folder, m_name.c_str()) != 0) {
            failure = writeFailure(errno, "cannot replace the file");
            ::unlinkat(m_folder, m_tempName.c_str(), 0);
            m_tempName.clear();
            return false;
        }
        m_tempName.clear();
    }
    m_folder = -1;
    return true;
}

void OutputFile::discard() {
    if (m_folder < 0)
        return;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    ::unlinkat(m_folder, m_tempName.empty() ? m_name.c_str() : m_tempName.c_str(), 0);
    m_tempName.clear();
    m_folder = -1;
}

} // namespace lha
