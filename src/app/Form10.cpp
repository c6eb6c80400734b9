// SPDX-License-Identifier: MIT
#include "Form10.h"

#include "ui/CommandButton.h"
#include "ui/Controls.h"
#include "ui/Picture.h"
#include "ui/Services.h"

#include <QStyle>

using namespace Qt::StringLiterals;

Form10::Form10(ui::Services &services) : ui::Window(services) {
    useFixedSingleBorder(u"Ｈ．Ｋ"_s);
    setClientSize(8100, 1425);
    keepAboveMainWindow();
    ui::makePicture(this, "Image1", {360, 360, 480, 480})
        ->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    ui::makeLabel(this, "Label1", u"あなたが指定したファイルはLHA形式のファイルではありません。"_s,
                  {1320, 360, 6135, 255}, ui::FontSpec{ui::PGothic, 11.25});
    m_command1 = ui::makeCommandButton(this, "Command1", u"了       解"_s, {1800, 840, 4935, 375});
    m_command1->setFocus();
    m_services.connectEvent(m_command1, &QPushButton::clicked, this, &Form10::Command1_Click);
    // The main window is hidden behind this notice; closing it must not leave
    // an invisible program running.
    m_services.connectEvent(this, &ui::Window::unloadRequested, this, &Form10::Form_Unload);
}

void Form10::Form_Load() {
    m_services.beep();
    centreOnScreen();
}

void Form10::Command1_Click() {
    m_services.endProgram();
}

void Form10::Form_Unload() {
    m_services.endProgram();
}
