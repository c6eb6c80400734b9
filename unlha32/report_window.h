// SPDX-License-Identifier: MIT
#pragma once
// Shown over the owner window when an extraction failed, before the library
// returns: a summary and every member that failed, with its cause.
#include "failure_list.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace unlha {

class ReportWindow : public QDialog {
    Q_OBJECT
public:
    ReportWindow(QWidget *owner, const FailureList &failures);

    QString summary() const;
    // The listed members: name and cause per row.
    QList<FailedMember> rows() const;

private:
    void createSummary(const FailureList &failures);
    void createList(const FailureList &failures);
    void createCloseButton();
    void createLayout();

    QLabel *m_icon = nullptr;
    QLabel *m_summary = nullptr;
    QTreeWidget *m_list = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace unlha
