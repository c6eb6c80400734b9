// SPDX-License-Identifier: MIT
#include "Form3.h"

#include "extract/Form2.h"
#include "info/Form5.h"
#include "ui/CommandButton.h"
#include "ui/Controls.h"
#include "ui/Picture.h"
#include "ui/Services.h"

using namespace Qt::StringLiterals;

Form3::Form3(ui::Services &services) : ui::Window(services) {
    useFixedSingleBorder(u"Ｈ．Ｋ"_s);
    setClientSize(8220, 3180);
    createControls();
    m_services.connectEvent(m_command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    m_services.connectEvent(m_command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    m_services.connectEvent(this, &ui::Window::unloadRequested, this, &Form3::Form_Unload);
}

void Form3::createControls() {
    ui::makePicture(this, "Image1", {480, 600, 975, 975})->setSvg(u":/images/hokora.svg"_s, true);
    ui::makeLabel(this, "Label1", u"Hokora は単独起動されています。"_s, {1920, 360, 5895, 375},
                  ui::FontSpec{ui::PGothic, 15.75});
    ui::makeLabel(this, "Label2", u"解凍したいファイルをドラッグ＆ドロップして起動してください。"_s,
                  {2160, 960, 5775, 255}, ui::FontSpec{ui::PGothic, 11.25});
    ui::makeLabel(this, "Label3", u"詳しくは説明書テキストを参照してください。"_s,
                  {2160, 1440, 4095, 255}, ui::FontSpec{ui::PGothic, 11.25});
    m_command1 = ui::makeCommandButton(this, "Command1", u"了  解"_s, {5040, 2160, 2895, 495});
    m_command2 =
        ui::makeCommandButton(this, "Command2", u"バージョン情報"_s, {5040, 2640, 2895, 375});
    setTabOrder(m_command1, m_command2);
    m_command1->setFocus();
}

void Form3::Form_Load() {
    centreOnScreen();
    m_services.window<Form2>().setEnabled(false);
}

void Form3::Command1_Click() {
    m_services.endProgram();
}

void Form3::Command2_Click() {
    m_services.window<Form5>().Show();
}

void Form3::Form_Unload() {
    m_services.endProgram();
}
