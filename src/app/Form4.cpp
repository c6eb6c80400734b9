// SPDX-License-Identifier: MIT
#include "Form4.h"

#include "extract/Form2.h"
#include "ui/CommandButton.h"
#include "ui/Controls.h"
#include "ui/Picture.h"
#include "ui/Services.h"

#include <QStyle>

using namespace Qt::StringLiterals;

Form4::Form4(ui::Services &services) : ui::Window(services) {
    useFixedSingleBorder(u"Ｈ．Ｋ"_s);
    setClientSize(5460, 1665);
    keepAboveMainWindow();
    ui::makePicture(this, "Image1", {480, 480, 480, 480})
        ->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    ui::makeLabel(this, "Label1", u"解凍作業を終了しました。"_s, {1560, 360, 3135, 375},
                  ui::FontSpec{ui::PGothic, 14.25});
    m_command1 = ui::makeCommandButton(this, "Command1", u"了  解"_s, {2280, 1080, 2535, 375});
    m_command1->setFocus();
    m_services.connectEvent(m_command1, &QPushButton::clicked, this, &Form4::Command1_Click);
    m_services.connectEvent(this, &ui::Window::unloadRequested, this, &Form4::Form_Unload);
}

void Form4::Form_Load() {
    m_services.beep();
    centreOnScreen();
    m_services.window<Form2>().setEnabled(false);
}

void Form4::Command1_Click() {
    m_services.endProgram();
}

void Form4::Form_Unload() {
    m_services.endProgram();
}
