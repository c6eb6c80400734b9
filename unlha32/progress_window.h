// SPDX-License-Identifier: MIT
#pragma once
// Shown over the owner window while an archive is extracted: the archive, the
// member being written, a bar over all bytes and a Cancel button.
#include <QDialog>

#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

namespace unlha {

class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    ProgressWindow(QWidget *owner, const QString &archiveName);

    void showProgress(const QString &member, uint64_t done, uint64_t total);
    // Closes the window for good once the work has ended.
    void finish();

signals:
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void reject() override;

private:
    void createLabels(const QString &archiveName);
    void createBar();
    void createCancelButton();
    void createLayout();

    QLabel *m_status = nullptr;
    QLabel *m_archive = nullptr;
    QLabel *m_member = nullptr;
    QString m_archiveText;
    QString m_memberText;
    QProgressBar *m_bar = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_finished = false;
};

} // namespace unlha
