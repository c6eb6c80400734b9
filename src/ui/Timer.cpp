// SPDX-License-Identifier: MIT
#include "Timer.h"

namespace ui {

Timer::Timer(QObject *parent, int intervalMs) : QObject(parent) {
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &Timer::timer);
}

void Timer::setEnabled(bool enabled) {
    if (enabled)
        m_timer.start();
    else
        m_timer.stop();
}

} // namespace ui
