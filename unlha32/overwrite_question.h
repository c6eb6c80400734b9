#pragma once
// Asks whether a file that already exists may be replaced.
#include "lha/lha.h"

#include <QMessageBox>

namespace unlha32 {

class OverwriteQuestion : public QMessageBox {
    Q_OBJECT
public:
    OverwriteQuestion(QWidget *parent, const QString &fileName);
    // Closing the box without a choice counts as Cancel.
    lha::OverwriteDecision decision() const;

private:
    void createButtons();

    QPushButton *m_replace = nullptr;
    QPushButton *m_skip = nullptr;
    QPushButton *m_replaceAll = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace unlha32
