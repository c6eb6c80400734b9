// SPDX-License-Identifier: MIT
#include "Drives.h"

#include <QDir>

namespace ui {

namespace {

bool holds(const QString &root, const QString &path) {
    if (path == root)
        return true;
    const QString prefix = root.endsWith(QChar('/')) ? root : root + QChar('/');
    return path.startsWith(prefix);
}

} // namespace

std::optional<Drive> driveHolding(const QList<Drive> &drives, const QString &path) {
    const QString clean = QDir::cleanPath(path);
    std::optional<Drive> best;
    for (const Drive &drive : drives) {
        const QString root = QDir::cleanPath(drive.root);
        if (holds(root, clean) && (!best || root.size() > best->root.size()))
            best = Drive{root, drive.label};
    }
    return best;
}

} // namespace ui
