// SPDX-License-Identifier: MIT
#pragma once

#include "ui/Window.h"

class QFrame;
class QLabel;

namespace ui {
class Picture;
class Timer;
} // namespace ui

// The splash window: shown for one timer interval, then it brings up the
// main window and hides itself for good.
class title1 : public ui::Window {
    Q_OBJECT

public:
    explicit title1(ui::Services &services);

    ui::Timer &Timer1() const { return *m_timer1; }

    void Timer1_Timer();
    void Form_Unload();

private:
    void createControls();

    QFrame *m_frame1 = nullptr;
    ui::Picture *m_imgLogo = nullptr;
    QLabel *m_lblCopyright = nullptr;
    QLabel *m_lblVersion = nullptr;
    QLabel *m_lblProductName = nullptr;
    ui::Timer *m_timer1 = nullptr;
};
