// SPDX-License-Identifier: MIT
#include "DriveListBox.h"

#include "Drives.h"
#include "Platform.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QSignalBlocker>

#include <algorithm>

namespace ui {

namespace {

QString entryText(const Drive &drive) {
    return drive.label.isEmpty() ? drive.root
                                 : QStringLiteral("%1  [%2]").arg(drive.root, drive.label);
}

} // namespace

DriveListBox::DriveListBox(QWidget *parent, Platform &platform)
    : QComboBox(parent), m_platform(platform) {
    readDrives();
    // The list starts on the drive of the process's current directory.
    setDrive(m_platform.currentDirectory());
    m_drive = currentData().toString();
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::onIndexChanged);
}

void DriveListBox::readDrives() {
    // Re-listing is no choice of the user's: the selection stays as it is.
    const QSignalBlocker quiet(this);
    const int selectedIndex = currentIndex();
    const QString selected = currentData().toString();
    const QString selectedText = currentText();
    clear();
    for (const Drive &drive : m_platform.drives())
        addItem(entryText(drive), drive.root);
    if (selected.isEmpty())
        return;
    int index = findData(selected);
    if (index < 0) {
        // Unmounted since the last reading: it stays in its place while it is
        // selected, so that the list shows what the destination lies on.
        index = std::min(selectedIndex, count());
        insertItem(index, selectedText, selected);
    }
    setCurrentIndex(index);
}

void DriveListBox::showPopup() {
    readDrives();
    QComboBox::showPopup();
}

void DriveListBox::hidePopup() {
    QComboBox::hidePopup();
    checkSelectedDriveLater();
}

void DriveListBox::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        readDrives();
        QComboBox::keyPressEvent(event);
        checkSelectedDriveLater();
        return;
    default:
        QComboBox::keyPressEvent(event);
    }
}

void DriveListBox::checkSelectedDriveLater() {
    // A click on an entry hides the list before it changes the selection.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!view()->isVisible() && !m_drive.isEmpty() && !isDriveMounted())
                emit change();
        },
        Qt::QueuedConnection);
}

bool DriveListBox::isDriveMounted() const {
    const QList<Drive> drives = m_platform.drives();
    return std::any_of(drives.begin(), drives.end(),
                       [this](const Drive &drive) { return drive.root == m_drive; });
}

void DriveListBox::setDrive(const QString &path) {
    const std::optional<Drive> drive = driveHolding(m_platform.drives(), path);
    if (!drive)
        return;
    int index = findData(drive->root);
    if (index < 0) {
        // Mounted since the list was last read.
        readDrives();
        index = findData(drive->root);
    }
    if (index >= 0)
        setCurrentIndex(index);
}

void DriveListBox::onIndexChanged(int index) {
    const QString selected = itemData(index).toString();
    if (selected == m_drive || index < 0)
        return;
    m_drive = selected;
    emit change();
}

} // namespace ui
