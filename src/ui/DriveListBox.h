// SPDX-License-Identifier: MIT
#pragma once

#include <QComboBox>

namespace ui {

class Platform;

// Lists the mounted file systems, read again each time the list is opened or
// stepped through with the keyboard, so that drives mounted meanwhile appear
// and unmounted ones go. Drive is the mount root of the selection; change() is
// raised when the selected drive really changes, whether the user picked it
// or the program set it, and when a reading finds the selected drive gone and
// the user chose no other: it is then a drive that is not ready.
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
    void hidePopup() override;

signals:
    void change();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void readDrives();
    void onIndexChanged(int index);
    // Once the user's choice is settled: raises change() if the selected drive
    // is no longer mounted.
    void checkSelectedDriveLater();

    Platform &m_platform;
    QString m_drive;
};

} // namespace ui
