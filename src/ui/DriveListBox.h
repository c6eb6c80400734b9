// SPDX-License-Identifier: MIT
#pragma once

#include <QComboBox>

namespace ui {

class Platform;

// Lists the mounted file systems, read again each time the list is opened,
// so that drives mounted meanwhile appear and unmounted ones go. Drive is the
// mount root of the selection; change() is raised only when the selected
// drive really changes, whether the user picked it or the program set it.
class DriveListBox : public QComboBox {
    Q_OBJECT

public:
    DriveListBox(QWidget *parent, Platform &platform);

    QString drive() const { return m_drive; }
    // Selects the drive that holds `path`; a path on no listed drive changes
    // nothing.
    void setDrive(const QString &path);
    // Whether the selected drive is still mounted: the list may show a drive
    // that went away since it was last opened.
    bool isDriveMounted() const;

    void showPopup() override;

signals:
    void change();

private:
    void readDrives();
    void onIndexChanged(int index);

    Platform &m_platform;
    QString m_drive;
};

} // namespace ui
