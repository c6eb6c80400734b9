// SPDX-License-Identifier: MIT
#include "Form5.h"

#include "app/Form3.h"
#include "extract/Form2.h"
#include "info/SysInfo32.h"
#include "ui/CommandButton.h"
#include "ui/Controls.h"
#include "ui/Picture.h"
#include "ui/Services.h"

#include <QLabel>
#include <QPainter>

#include <exception>

using namespace Qt::StringLiterals;

Form5::Form5(ui::Services &services) : ui::Window(services) {
    useFixedSingleBorder(u"バージョン情報"_s);
    setClientSize(5970, 2400);
    keepAboveMainWindow();
    createControls();
    m_services.connectEvent(m_command1, &QPushButton::clicked, this, &Form5::Command1_Click);
    // Closing the window confirms it, so the windows behind are enabled again.
    m_services.connectEvent(this, &ui::Window::unloadRequested, this, &Form5::Command1_Click);
}

void Form5::createControls() {
    ui::makePicture(this, "Image1", {240, 240, 480, 480})->setSvg(u":/images/hokora.svg"_s, true);
    ui::makeLabel(this, "Label1", u"Ｈｏｋｏｒａ  Ｖｅｒ．１．００"_s, {1440, 240, 2775, 255});
    ui::makeLabel(this, "Label2", u"Copyright (C) 2026 H.K"_s, {1440, 600, 3015, 255});
    m_command1 = ui::makeCommandButton(this, "Command1", u"Ｏ　Ｋ"_s, {4920, 120, 855, 375});
    ui::makeLabel(this, "Label3", u"使用ユーザー       ：  "_s, {480, 1440, 1815, 255});
    m_label4 = ui::makeLabel(this, "Label4", u"Label4"_s, {2160, 1440, 3135, 255});
    ui::makeLabel(this, "Label5", u"Windows ﾋﾞﾙﾄﾞ No.  ：  "_s, {480, 1920, 1815, 255});
    m_label6 = ui::makeLabel(this, "Label6", u"Label6"_s, {2160, 1920, 3135, 255});
    m_command1->setFocus();
}

void Form5::paintEvent(QPaintEvent *) {
    // The separator between the title block and the two information rows.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    const ui::TwipsRect line{120, 1200, 5640, 0};
    const QRect pixels = line.toPixels();
    painter.drawLine(pixels.left(), pixels.top(), pixels.left() + pixels.width(), pixels.top());
}

void Form5::Form_Load() {
    // The load step's local handler: a failing step ends the load quietly,
    // the steps after it do not run, and the window shows all the same.
    try {
        m_services.window<Form3>().setEnabled(false);
        centreOnScreen();
        m_services.window<Form2>().setEnabled(false);
        // A query that finds nothing gives an empty text, which is no failure.
        m_label4->setText(SysInfo32::GetUserNameText(m_services.platform()));
        m_label6->setText(SysInfo32::GetWindowsBuild(m_services.platform()));
    } catch (const std::exception &) {
    }
}

void Form5::Command1_Click() {
    m_services.window<Form3>().setEnabled(true);
    m_services.window<Form2>().setEnabled(true);
    hide();
}
