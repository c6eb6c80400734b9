// SPDX-License-Identifier: MIT
#include "title1.h"

#include "extract/Form2.h"
#include "ui/Controls.h"
#include "ui/Picture.h"
#include "ui/Services.h"
#include "ui/Timer.h"

#include <QFrame>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace {

// The label grows or shrinks to its text and keeps its left edge.
void sizeToText(QLabel *label) {
    label->resize(label->sizeHint());
}

} // namespace

title1::title1(ui::Services &services) : ui::Window(services) {
    useSplashBorder();
    setClientSize(7560, 3990);
    createControls();
    m_timer1 = new ui::Timer(this, 2000);
    m_services.connectEvent(m_timer1, &ui::Timer::timer, this, &title1::Timer1_Timer);
    m_services.connectEvent(this, &ui::Window::unloadRequested, this, &title1::Form_Unload);
    // Counting starts when the window is loaded, which is when it is created.
    m_timer1->setEnabled(true);
}

void title1::createControls() {
    m_frame1 = new QFrame(this);
    m_frame1->setObjectName(u"Frame1"_s);
    m_frame1->setFrameShape(QFrame::Box);
    m_frame1->setFrameShadow(QFrame::Sunken);
    m_frame1->setGeometry(
        ui::TwipsRect{120, 120, 7320, 3690}.toPixels().translated(clientOrigin()));

    m_imgLogo = ui::makePicture(m_frame1, "imgLogo", {360, 960, 1815, 2025});
    m_imgLogo->setSvg(u":/images/hokora.svg"_s, true);
    m_lblCopyright = ui::makeLabel(m_frame1, "lblCopyright", u"Copyright (C) 2026 H.K"_s,
                                   {4080, 3240, 2775, 255});
    m_lblVersion = ui::makeLabel(m_frame1, "lblVersion", u"Ｖｅｒｓｉｏｎ．1．0 0"_s,
                                 {3795, 2520, 2985, 240}, ui::FontSpec{ui::MaruGothic, 12, 700});
    m_lblVersion->setAlignment(Qt::AlignRight | Qt::AlignTop);
    sizeToText(m_lblVersion);
    m_lblProductName =
        ui::makeLabel(m_frame1, "lblProductName", u"Hokora"_s, {2400, 1320, 4380, 555},
                      ui::FontSpec{ui::MaruGothic, 27.75, 400, true});
    sizeToText(m_lblProductName);
}

void title1::Timer1_Timer() {
    // The main window comes first, so the program never has no window up.
    m_services.window<Form2>().Show();
    m_timer1->setEnabled(false);
    hide();
}

void title1::Form_Unload() {
    m_services.endProgram();
}
