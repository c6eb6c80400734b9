#include "DriveListBox.h"

#include "Drives.h"
#include "Platform.h"

namespace ui {

DriveListBox::DriveListBox(QWidget *parent, Platform &platform)
    : QComboBox(parent), m_platform(platform) {
    for (const Drive &drive : m_platform.drives()) {
        const QString entry = drive.label.isEmpty()
                                  ? drive.root
                                  : QStringLiteral("%1  [%2]").arg(drive.root, drive.label);
        addItem(entry, drive.root);
    }
    // The list starts on the drive of the process's current directory.
    setDrive(m_platform.currentDirectory());
    m_drive = currentData().toString();
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::onIndexChanged);
}

void DriveListBox::setDrive(const QString &path) {
    const std::optional<Drive> drive = driveHolding(m_platform.drives(), path);
    if (!drive)
        return;
    const int index = findData(drive->root);
    if (index >= 0)
        setCurrentIndex(index);
}

void DriveListBox::onIndexChanged(int index) {
    const QString selected = itemData(index).toString();
    if (selected == m_drive)
        return;
    m_drive = selected;
    emit change();
}

} // namespace ui
