// SPDX-License-Identifier: MIT
#pragma once
// Asks whether a file that already exists may be replaced, showing the size
// and date of the file on disk and of the archive's member, as file managers
// do. It opens centred on the window it is asked over.
#include "lha/lha.h"

#include <QDateTime>
#include <QDialog>

#include <cstdint>
#include <optional>

class QLabel;
class QPushButton;

namespace unlha {

// Size and modification time of one side of the question; either may be
// unknown.
struct FileFacts {
    std::optional<uint64_t> size;
    std::optional<QDateTime> modified;
};

class OverwriteQuestion : public QDialog {
    Q_OBJECT
public:
    OverwriteQuestion(QWidget *over, const QString &fileName, const FileFacts &existing,
                      const FileFacts &member);
    // The question and the two files' facts, as shown.
    QString text() const;
    // Closing the box without a choice counts as Cancel.
    lha::OverwriteDecision decision() const;

    // "12,345 バイト  2024/05/01 12:00", with a stand-in for what is unknown.
    static QString describe(const FileFacts &facts);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createButtons();
    void createLayout(QLabel *icon);
    void centreOnParent();
    // The widest the text may be on the screen of `over`.
    static int mostTextWidth(const QWidget *over);
    void answer(QPushButton *button);

    QLabel *m_text = nullptr;
    QPushButton *m_replace = nullptr;
    QPushButton *m_replaceAll = nullptr;
    QPushButton *m_skip = nullptr;
    QPushButton *m_skipAll = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_chosen = nullptr;
};

} // namespace unlha
