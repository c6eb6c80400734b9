// SPDX-License-Identifier: MIT
#include "DirListBox.h"

#include "Drives.h"
#include "Error.h"
#include "Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>

namespace ui {

namespace {

constexpr int kPathRole = Qt::UserRole;

QString childPath(const QString &parent, const QString &name) {
    return parent.endsWith(QChar('/')) ? parent + name : parent + QChar('/') + name;
}

} // namespace

DirListBox::DirListBox(QWidget *parent, Platform &platform)
    : QTreeWidget(parent), m_platform(platform) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(10);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setExpandsOnDoubleClick(false);
    setFocusPolicy(Qt::StrongFocus);
    // Every folder shown is open or a child of the open one: no expanders. The
    // list marks its focus with a frame, so that keyboard users see where
    // they are.
    setStyleSheet(QStringLiteral("QTreeView::branch { image: none; border-image: none; }"
                                 "QTreeView { border: 1px solid palette(mid); }"
                                 "QTreeView:focus { border: 1px dotted palette(highlight); }"));
    connect(this, &QTreeWidget::itemDoubleClicked, this, &DirListBox::openItem);
    try {
        // The list starts on the process's current directory.
        setPath(m_platform.currentDirectory());
    } catch (const Error &) {
        // An unreadable start directory leaves the list empty until a drive is chosen.
    }
}

void DirListBox::setPath(const QString &path) {
    const QList<Drive> drives = m_platform.drives();
    QString target = QDir::cleanPath(path);
    const std::optional<Drive> drive = driveHolding(drives, target);
    if (!drive)
        throw Error(kErrPathNotFound);
    if (drive->root == target) {
        const QString current = QDir::cleanPath(m_platform.currentDirectory());
        const std::optional<Drive> currentDrive = driveHolding(drives, current);
        target = currentDrive && currentDrive->root == drive->root ? current : drive->root;
    }
    if (!m_platform.isDriveReady(drive->root))
        throw Error(kErrDeviceUnavailable);
    const QFileInfo info(target);
    if (!info.isDir())
        throw Error(kErrPathNotFound);
    if (!info.isReadable() || !info.isExecutable())
        throw Error(kErrPathFileAccess);
    open(target, drive->root);
}

void DirListBox::open(const QString &directory, const QString &root) {
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    auto *item = new QTreeWidgetItem(this, {root});
    item->setData(0, kPathRole, root);
    item->setIcon(0, openIcon);
    QString walked = root;
    const QString below = directory.mid(root.size());
    for (const QString &name : below.split(QChar('/'), Qt::SkipEmptyParts)) {
        walked = childPath(walked, name);
        item = new QTreeWidgetItem(item, {name});
        item->setData(0, kPathRole, walked);
        item->setIcon(0, openIcon);
    }
    const QStringList children = QDir(directory).entryList(
        QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QString &name : children) {
        auto *child = new QTreeWidgetItem(item, {name});
        child->setData(0, kPathRole, childPath(directory, name));
        child->setIcon(0, closedIcon);
    }
    expandAll();
    setCurrentItem(item);
    showFromTheTop();
    m_path = directory;
    m_root = root;
}

void DirListBox::showFromTheTop() {
    // The list reads from its root down; scroll only as far as the open
    // folder needs.
    scrollToTop();
    if (currentItem())
        scrollToItem(currentItem(), QAbstractItemView::EnsureVisible);
}

void DirListBox::showEvent(QShowEvent *event) {
    QTreeWidget::showEvent(event);
    showFromTheTop();
}

void DirListBox::keyPressEvent(QKeyEvent *event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        openItem(currentItem());
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void DirListBox::openItem(QTreeWidgetItem *item) {
    const QString directory = item->data(0, kPathRole).toString();
    const QFileInfo info(directory);
    if (directory == m_path || !info.isDir() || !info.isReadable() || !info.isExecutable())
        return;
    open(directory, m_root);
}

} // namespace ui
