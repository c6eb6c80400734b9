// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

class QFontMetrics;

namespace ui {

// A path cut to `width` pixels so that its file name stays whole: the folder
// part gives way in its middle first, the name itself only when it alone is
// too wide. A path that fits is returned as it is.
QString elidePath(const QString &path, const QFontMetrics &metrics, int width);

// A label that shows a path: its caption is always the whole path, drawn cut
// by elidePath when it is too long, with the whole path as its tooltip.
class PathLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

    // What the label draws at its present width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
};

} // namespace ui
