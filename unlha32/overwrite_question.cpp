#include "overwrite_question.h"

#include <QPushButton>

namespace unlha32 {

OverwriteQuestion::OverwriteQuestion(QWidget *parent, const QString &fileName)
    : QMessageBox(parent) {
    setWindowTitle(QStringLiteral("Ｈ．Ｋ"));
    setIcon(QMessageBox::Question);
    setText(QStringLiteral("「%1」は既にあります。\n上書きしますか？").arg(fileName));
    setWindowModality(Qt::WindowModal);
    createButtons();
}

void OverwriteQuestion::createButtons() {
    m_replace = addButton(QStringLiteral("上書き"), QMessageBox::AcceptRole);
    m_skip = addButton(QStringLiteral("スキップ"), QMessageBox::RejectRole);
    m_replaceAll = addButton(QStringLiteral("すべて上書き"), QMessageBox::AcceptRole);
    m_cancel = addButton(QStringLiteral("キャンセル"), QMessageBox::DestructiveRole);
    m_replace->setObjectName(QStringLiteral("replace"));
    m_skip->setObjectName(QStringLiteral("skip"));
    m_replaceAll->setObjectName(QStringLiteral("replaceAll"));
    m_cancel->setObjectName(QStringLiteral("cancel"));
    setDefaultButton(m_skip);
    setEscapeButton(m_cancel);
}

lha::OverwriteDecision OverwriteQuestion::decision() const {
    const auto *chosen = clickedButton();
    if (chosen == m_replace)
        return lha::OverwriteDecision::Replace;
    if (chosen == m_skip)
        return lha::OverwriteDecision::Skip;
    if (chosen == m_replaceAll)
        return lha::OverwriteDecision::ReplaceAll;
    return lha::OverwriteDecision::Cancel;
}

} // namespace unlha32
