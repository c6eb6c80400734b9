// SPDX-License-Identifier: MIT
#include "Form1.h"

#include "extract/Form2.h"
#include "ui/CommandButton.h"
#include "ui/Controls.h"
#include "ui/DirListBox.h"
#include "ui/Error.h"
#include "ui/Services.h"
#include "ui/Text.h"

#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;

Form1::Form1(ui::Services &services) : ui::Window(services) {
    useFixedSingleBorder(u"Ｈ．Ｋ"_s);
    setClientSize(6495, 2805);
    keepAboveMainWindow();
    setFont(ui::makeFont({ui::PGothic, 9.75}));
    createControls();
    connectEvents();
}

void Form1::createControls() {
    const ui::FontSpec small{ui::PGothic, 9};
    const ui::FontSpec large{ui::PGothic, 14.25};
    m_label2 =
        ui::makePathLabel(this, "Label2", u"******************"_s, {240, 240, 5655, 255}, small);
    m_label3 = ui::makeLabel(this, "Label3", u"の下に作成するフォルダの名前を入力してください。"_s,
                             {2280, 600, 4095, 255}, small);
    m_text1 = ui::makeTextBox(this, "Text1", QString(), {2160, 1080, 3975, 420}, large);
    m_label1 = ui::makeLabel(this, "Label1", u"フォルダ名 ："_s, {480, 1080, 1575, 375}, large);
    m_command1 = ui::makeCommandButton(this, "Command1", u"作  成"_s, {2280, 1920, 1935, 615});
    m_command2 = ui::makeCommandButton(this, "Command2", u"キャンセル"_s, {4200, 1920, 1935, 615});
    // The parent directory travels below the visible area; were it focusable,
    // keys typed into it would change the folder that gets created.
    m_text2 = ui::makeTextBox(this, "Text2", u"Text2"_s, {1200, 3840, 4575, 375});
    m_text2->setFocusPolicy(Qt::NoFocus);

    setTabOrder(m_text1, m_command1);
    setTabOrder(m_command1, m_command2);
    m_text1->setFocus();
}

void Form1::connectEvents() {
    m_services.connectEvent(m_command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    m_services.connectEvent(m_command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    // Closing the dialog cancels it, so the main window is never left disabled.
    m_services.connectEvent(this, &ui::Window::unloadRequested, this, &Form1::Command2_Click);
}

void Form1::Form_Load() {
    centreOnScreen();
    Form2 &form2 = m_services.window<Form2>();
    form2.setEnabled(false);
    m_label2->setText(form2.Dir4().path());
    m_text2->setText(form2.Dir4().path());
}

QString Form1::newFolderPath() const {
    // A parent ending in the separator is a root and already carries it.
    if (ui::lastCharacters(m_text2->text(), 1) == u"/"_s)
        return m_text2->text() + m_text1->text();
    return m_services.window<Form2>().Dir4().path() + u"/"_s + m_text1->text();
}

void Form1::Command1_Click() {
    try {
        m_services.createDirectory(newFolderPath());
        Form2 &form2 = m_services.window<Form2>();
        form2.Dir4().setPath(newFolderPath());
        form2.setEnabled(true);
        hide();
    } catch (const ui::Error &error) {
        const QString message = error.number() == ui::kErrPathFileAccess ? u"パスが無効です。"_s
                                                                         : u"不明なエラーです。"_s;
        m_services.messageBox(message + QChar(13) + u"再入力してください。"_s,
                              ui::kStyleExclamationOk, u"エラーメッセージ"_s);
    }
}

void Form1::Command2_Click() {
    m_services.window<Form2>().setEnabled(true);
    hide();
}
