#include "progress_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace unlha32 {
namespace {

// The bar counts in thousandths so that archives over 2 GiB fit its int range.
constexpr int kBarSteps = 1000;

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
    m_archive = new QLabel(QStringLiteral("解凍元ファイル：%1").arg(archiveName), this);
    m_member = new QLabel(this);
    m_member->setObjectName(QStringLiteral("member"));
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

void ProgressWindow::showProgress(const QString &member, uint64_t done, uint64_t total) {
    m_member->setText(member);
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

} // namespace unlha32
