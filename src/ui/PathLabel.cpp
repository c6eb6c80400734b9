// SPDX-License-Identifier: MIT
#include "PathLabel.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace ui {

QString elidePath(const QString &path, const QFontMetrics &metrics, int width) {
    if (metrics.horizontalAdvance(path) <= width)
        return path;
    const qsizetype slash = path.lastIndexOf(QChar('/'));
    const QString folder = path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    const int nameWidth = metrics.horizontalAdvance(name);
    const int folderRoom = width - nameWidth;
    if (folder.isEmpty() || folderRoom <= metrics.horizontalAdvance(QChar(0x2026)))
        return metrics.elidedText(name, Qt::ElideMiddle, width);
    return metrics.elidedText(folder, Qt::ElideMiddle, folderRoom) + name;
}

QString PathLabel::shownText() const {
    return elidePath(text(), fontMetrics(), contentsRect().width());
}

void PathLabel::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawText(contentsRect(), static_cast<int>(alignment()) | Qt::TextSingleLine,
                     shownText());
}

bool PathLabel::event(QEvent *event) {
    if (event->type() == QEvent::ToolTip && !text().isEmpty()) {
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}

} // namespace ui
