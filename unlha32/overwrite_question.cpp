// SPDX-License-Identifier: MIT
#include "overwrite_question.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace unlha {
namespace {

// The question's text never grows wider than this, nor than the screen.
constexpr int kMostTextWidth = 560;
// What the icon, the spacing and the margins take beside the text.
constexpr int kBesideText = 80;

QString sizeText(const std::optional<uint64_t> &size) {
    if (!size)
        return QStringLiteral("サイズ不明");
    return QStringLiteral("%1 バイト").arg(QLocale(QLocale::Japanese).toString(qulonglong(*size)));
}

QString dateText(const std::optional<QDateTime> &modified) {
    if (!modified || !modified->isValid())
        return QStringLiteral("日時不明");
    return modified->toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm"));
}

} // namespace

OverwriteQuestion::OverwriteQuestion(QWidget *over, const QString &fileName,
                                     const FileFacts &existing, const FileFacts &member)
    : QDialog(over) {
    setWindowTitle(QStringLiteral("Ｈ．Ｋ"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowModality(Qt::WindowModal);
    auto *icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setObjectName(QStringLiteral("text"));
    // A long path is cut in the middle, so that its start and the file name
    // stay readable and the buttons on screen; the whole path is the tooltip.
    const QString line = QStringLiteral("「%1」は既にあります。");
    const QFontMetrics metrics = m_text->fontMetrics();
    const int room = mostTextWidth(over) - metrics.horizontalAdvance(line.arg(QString()));
    m_text->setText(
        (line + QStringLiteral("\n上書きしますか？\n\n既存のファイル：%2\n解凍するファイル：%3"))
            .arg(metrics.elidedText(fileName, Qt::ElideMiddle, room), describe(existing),
                 describe(member)));
    m_text->setToolTip(fileName);
    createButtons();
    createLayout(icon);
}

int OverwriteQuestion::mostTextWidth(const QWidget *over) {
    const QScreen *screen = over ? over->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return kMostTextWidth;
    return std::min(kMostTextWidth, screen->availableGeometry().width() - kBesideText);
}

QString OverwriteQuestion::describe(const FileFacts &facts) {
    return sizeText(facts.size) + QStringLiteral("  ") + dateText(facts.modified);
}

QString OverwriteQuestion::text() const {
    return m_text->text();
}

void OverwriteQuestion::createButtons() {
    const auto make = [this](const QString &caption, const char *name) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, button] { answer(button); });
        return button;
    };
    m_replace = make(QStringLiteral("上書き"), "replace");
    m_replaceAll = make(QStringLiteral("すべて上書き"), "replaceAll");
    m_skip = make(QStringLiteral("スキップ"), "skip");
    m_skipAll = make(QStringLiteral("すべてスキップ"), "skipAll");
    m_cancel = make(QStringLiteral("キャンセル"), "cancel");
    // Keeping the file is the answer that loses nothing.
    m_skip->setDefault(true);
    m_skip->setFocus();
}

void OverwriteQuestion::createLayout(QLabel *icon) {
    auto *message = new QHBoxLayout;
    message->addWidget(icon, 0, Qt::AlignTop);
    message->addSpacing(8);
    message->addWidget(m_text, 1);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {m_replace, m_replaceAll, m_skip, m_skipAll, m_cancel})
        buttons->addWidget(button);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(message);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void OverwriteQuestion::answer(QPushButton *button) {
    m_chosen = button;
    accept();
}

void OverwriteQuestion::showEvent(QShowEvent *event) {
    centreOnParent();
    // The window manager may still be placing the window asked over; the
    // question follows it wherever it lands.
    if (QWidget *over = parentWidget() ? parentWidget()->window() : nullptr)
        over->installEventFilter(this);
    QDialog::showEvent(event);
}

bool OverwriteQuestion::eventFilter(QObject *watched, QEvent *event) {
    if (isVisible() && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        centreOnParent();
    return QDialog::eventFilter(watched, event);
}

void OverwriteQuestion::centreOnParent() {
    // Placed by the program, not left to the window manager, which may put a
    // dialog whose parent it has not placed yet into a corner. Client areas
    // are centred on each other and placed as client areas, so that it makes
    // no difference whether the frame is known yet; the whole window stays
    // on the screen.
    const QWidget *over = parentWidget() ? parentWidget()->window() : nullptr;
    if (!over)
        return;
    QRect client(QPoint(), size());
    client.moveCenter(over->geometry().center());
    if (const QScreen *screen = over->screen()) {
        const QRect available = screen->availableGeometry();
        const QMargins frame(geometry().left() - frameGeometry().left(),
                             geometry().top() - frameGeometry().top(),
                             frameGeometry().right() - geometry().right(),
                             frameGeometry().bottom() - geometry().bottom());
        const QRect room = available - frame;
        client.moveLeft(std::max(room.left(), std::min(client.left(), room.right() - width() + 1)));
        client.moveTop(std::max(room.top(), std::min(client.top(), room.bottom() - height() + 1)));
    }
    setGeometry(client);
}

lha::OverwriteDecision OverwriteQuestion::decision() const {
    if (m_chosen == m_replace)
        return lha::OverwriteDecision::Replace;
    if (m_chosen == m_replaceAll)
        return lha::OverwriteDecision::ReplaceAll;
    if (m_chosen == m_skip)
        return lha::OverwriteDecision::Skip;
    if (m_chosen == m_skipAll)
        return lha::OverwriteDecision::SkipAll;
    return lha::OverwriteDecision::Cancel;
}

} // namespace unlha
