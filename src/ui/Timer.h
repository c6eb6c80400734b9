// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QTimer>

namespace ui {

// Raises timer() each interval while enabled.
class Timer : public QObject {
    Q_OBJECT

public:
    explicit Timer(QObject *parent, int intervalMs);

    bool isEnabled() const { return m_timer.isActive(); }
    void setEnabled(bool enabled);
    int interval() const { return m_timer.interval(); }
    void setInterval(int intervalMs) { m_timer.setInterval(intervalMs); }

signals:
    void timer();

private:
    QTimer m_timer;
};

} // namespace ui
