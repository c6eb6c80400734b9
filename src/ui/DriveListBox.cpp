// SPDX-License-Identifier: MIT
#include "DriveListBox.h"

#include "Drives.h"
#include "Platform.h"

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
    const QString selected = currentData().toString();
    clear();
    for (const Drive &drive : m_platform.drives())
        addItem(entryText(drive), drive.root);
    if (!selected.isEmpty())
        setCurrentIndex(findData(selected));
}

void DriveListBox::showPopup() {
    readDrives();
    QComboBox::showPopup();
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
