// SPDX-License-Identifier: MIT
#pragma once

#include <QTreeWidget>

namespace ui {

class Platform;

// A classic directory list: the chain of open folders from the drive's root
// down to the current one, then the current folder's sub-folders. A double
// click, or Enter on the highlighted folder, opens it; a single click or the
// arrow keys only highlight it.
class DirListBox : public QTreeWidget {
    Q_OBJECT

public:
    DirListBox(QWidget *parent, Platform &platform);

    // The directory the list has opened.
    QString path() const { return m_path; }
    // A drive designation (a mount root) opens that drive's current directory:
    // the process's current directory when it lies on that drive, else the
    // root. Throws Error: 68 when the drive is not ready, 76 when the
    // directory does not exist, 75 when it cannot be read.
    void setPath(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showFromTheTop();
    void open(const QString &directory, const QString &root);
    void openItem(QTreeWidgetItem *item);

    Platform &m_platform;
    QString m_path;
    QString m_root;
};

} // namespace ui
