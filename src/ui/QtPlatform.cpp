// SPDX-License-Identifier: MIT
#include "QtPlatform.h"

#include "Stacking.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QStorageInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace ui {

namespace {

// Kernel and runtime file systems that hold nothing a user extracts into.
bool isPseudoFileSystem(const QByteArray &type) {
    static const QList<QByteArray> pseudo = {
        "proc",       "sysfs",      "devtmpfs",    "devpts",      "tmpfs",
        "cgroup",     "cgroup2",    "pstore",      "bpf",         "tracefs",
        "debugfs",    "securityfs", "configfs",    "fusectl",     "mqueue",
        "hugetlbfs",  "autofs",     "binfmt_misc", "efivarfs",    "nsfs",
        "rpc_pipefs", "ramfs",      "squashfs",    "fuse.portal", "fuse.gvfsd-fuse"};
    return pseudo.contains(type);
}

// Room the window manager takes from a title bar for the icon and the
// buttons, beside the caption's own text.
constexpr int kTitleBarAllowance = 120;

// A message box is as narrow as its text allows, and window managers cut a
// caption that does not fit; widen the box so that the whole title shows.
void fitTitle(QMessageBox &box) {
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    const int titleWidth = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar"))
                               .horizontalAdvance(box.windowTitle());
    grid->addItem(new QSpacerItem(titleWidth + kTitleBarAllowance, 0, QSizePolicy::Minimum,
                                  QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

QSize QtPlatform::screenSize() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

int QtPlatform::messageBox(const QString &text, int style, const QString &title) {
    QMessageBox box(QMessageBox::Warning, title, QString(text).replace(QChar(13), QChar(10)),
                    QMessageBox::NoButton);
    QPushButton *ok = box.addButton(QMessageBox::Ok);
    if (style == kStyleExclamationOkCancel) {
        // With a Cancel button, Escape and the close button both answer Cancel.
        box.setEscapeButton(box.addButton(QMessageBox::Cancel));
    }
    fitTitle(box);
    if (QWidget *owner = messageBoxOwner())
        keepAbove(box, *owner);
    box.exec();
    return box.clickedButton() == ok ? kMessageBoxOk : kMessageBoxCancel;
}

void QtPlatform::beep() {
    QApplication::beep();
}

void QtPlatform::exitProcess() {
    // Leave without running destructors or event procedures: nothing is to be
    // saved, and Qt's global objects must not be torn down under a live app.
    std::fflush(nullptr);
    std::_Exit(0);
}

QString QtPlatform::commandLine() {
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    return arguments.join(QChar(' '));
}

QString QtPlatform::programDirectory() {
    return QCoreApplication::applicationDirPath();
}

QString QtPlatform::currentDirectory() {
    return QDir::currentPath();
}

QList<Drive> QtPlatform::drives() {
    QList<Drive> result;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (!volume.isValid() || isPseudoFileSystem(volume.fileSystemType()) ||
            !QFileInfo(root).isDir())
            continue;
        const bool known = std::any_of(result.begin(), result.end(),
                                       [&](const Drive &drive) { return drive.root == root; });
        if (!known)
            result.append({root, volume.name()});
    }
    // In a chroot or a container the root file system is often not among the
    // mounts the process can see; it still holds every path, so it is a drive.
    const bool rootListed = std::any_of(result.begin(), result.end(),
                                        [](const Drive &drive) { return drive.root == "/"; });
    if (!rootListed)
        result.append({QStringLiteral("/"), QString()});
    std::sort(result.begin(), result.end(),
              [](const Drive &a, const Drive &b) { return a.root < b.root; });
    return result;
}

bool QtPlatform::isDriveReady(const QString &root) {
    DIR *dir = ::opendir(QFile::encodeName(root).constData());
    if (!dir)
        return false;
    ::closedir(dir);
    return true;
}

int QtPlatform::createDirectory(const QString &path) {
    return ::mkdir(QFile::encodeName(path).constData(), 0777) == 0 ? 0 : errno;
}

std::optional<std::string> QtPlatform::kernelVersion() {
    struct utsname names {};
    if (::uname(&names) != 0)
        return std::nullopt;
    return std::string(names.version);
}

std::optional<std::string> QtPlatform::effectiveUserName() {
    long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
    struct passwd entry {};
    struct passwd *found = nullptr;
    int status = 0;
    while ((status = ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found)) ==
               ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (status != 0 || !found)
        return std::nullopt;
    return std::string(found->pw_name);
}

} // namespace ui
