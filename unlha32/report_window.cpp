// SPDX-License-Identifier: MIT
#include "report_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace unlha {
namespace {

constexpr int kWidth = 600;
constexpr int kListHeight = 200;
constexpr int kIconSize = 32;

enum Column { NameColumn, CauseColumn };

} // namespace

ReportWindow::ReportWindow(QWidget *owner, const FailureList &failures) : QDialog(owner) {
    setWindowTitle(QStringLiteral("解凍できなかったファイル"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowModality(Qt::WindowModal);
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    createSummary(failures);
    createList(failures);
    createCloseButton();
    createLayout();
    setFixedWidth(kWidth);
}

void ReportWindow::createSummary(const FailureList &failures) {
    m_icon = new QLabel(this);
    m_icon->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(kIconSize, kIconSize));
    m_summary = new QLabel(failures.summary, this);
    m_summary->setTextFormat(Qt::PlainText);
    m_summary->setWordWrap(true);
    m_summary->setObjectName(QStringLiteral("summary"));
}

void ReportWindow::createList(const FailureList &failures) {
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("members"));
    m_list->setHeaderLabels({QStringLiteral("ファイル"), QStringLiteral("原因")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    // Both the start of a path and the file name at its end stay readable;
    // the whole name is the tooltip.
    m_list->setTextElideMode(Qt::ElideMiddle);
    m_list->setFixedHeight(kListHeight);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(CauseColumn, QHeaderView::ResizeToContents);
    for (const FailedMember &member : failures.members) {
        auto *row = new QTreeWidgetItem(m_list, {member.name, member.cause});
        row->setToolTip(NameColumn, member.name);
        row->setToolTip(CauseColumn, member.detail.isEmpty() ? member.cause : member.detail);
    }
    m_list->setVisible(!failures.members.isEmpty());
}

void ReportWindow::createCloseButton() {
    m_close = new QPushButton(QStringLiteral("閉じる"), this);
    m_close->setObjectName(QStringLiteral("close"));
    // Enter anywhere in the window closes it, as Escape does.
    m_close->setDefault(true);
    connect(m_close, &QPushButton::clicked, this, &ReportWindow::accept);
}

void ReportWindow::createLayout() {
    auto *message = new QHBoxLayout;
    message->addWidget(m_icon, 0, Qt::AlignTop);
    message->addSpacing(8);
    message->addWidget(m_summary, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(message);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    m_close->setFocus();
}

QString ReportWindow::summary() const {
    return m_summary->text();
}

QList<FailedMember> ReportWindow::rows() const {
    QList<FailedMember> rows;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = m_list->topLevelItem(i);
        rows.append({row->text(NameColumn), row->text(CauseColumn), row->toolTip(CauseColumn)});
    }
    return rows;
}

} // namespace unlha
