// SPDX-License-Identifier: MIT
#include "progress_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace unlha {
namespace {

// The bar counts in thousandths so that archives over 2 GiB fit its int range.
constexpr int kBarSteps = 1000;

// Long names are cut in the middle, so that both the start of the path and
// the file name at its end stay readable; the whole name is the tooltip.
void setElidedText(QLabel &label, const QString &text) {
    label.setText(label.fontMetrics().elidedText(text, Qt::ElideMiddle, label.width()));
    label.setToolTip(text);
}

} // namespace

ProgressWindow::ProgressWindow(QWidget *owner, const QString &archiveName) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Ｈ．Ｋ"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowModality(Qt::WindowModal);
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    createLabels(archiveName);
    createBar();
    createCancelButton();
    createLayout();
    setFixedWidth(420);
}

void ProgressWindow::createLabels(const QString &archiveName) {
    m_status = new QLabel(QStringLiteral("解凍中…"), this);
    m_archive = new QLabel(this);
    m_archiveText = QStringLiteral("解凍元ファイル：%1").arg(archiveName);
    m_member = new QLabel(this);
    m_member->setObjectName(QStringLiteral("member"));
    m_archive->setObjectName(QStringLiteral("archive"));
    // Long names must not widen the window.
    m_member->setMinimumWidth(1);
    m_archive->setMinimumWidth(1);
}

void ProgressWindow::createBar() {
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, kBarSteps);
    m_bar->setValue(0);
}

void ProgressWindow::createCancelButton() {
    m_cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &ProgressWindow::reject);
}

void ProgressWindow::createLayout() {
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_archive);
    layout->addWidget(m_member);
    layout->addWidget(m_bar);
    layout->addLayout(buttons);
}

void ProgressWindow::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    setElidedText(*m_archive, m_archiveText);
    setElidedText(*m_member, m_memberText);
}

void ProgressWindow::showProgress(const QString &member, uint64_t done, uint64_t total) {
    m_memberText = member;
    setElidedText(*m_member, member);
    const auto value = total == 0 ? 0 : static_cast<int>(std::min(done, total) * kBarSteps / total);
    m_bar->setValue(value);
}

void ProgressWindow::finish() {
    m_finished = true;
    accept();
}

void ProgressWindow::closeEvent(QCloseEvent *event) {
    if (m_finished) {
        QDialog::closeEvent(event);
        return;
    }
    // The window stays until the engine has stopped and cleaned up.
    event->ignore();
    reject();
}

void ProgressWindow::reject() {
    if (m_finished || !m_cancel->isEnabled())
        return;
    m_cancel->setEnabled(false);
    m_status->setText(QStringLiteral("中止しています…"));
    emit cancelRequested();
}

} // namespace unlha
