// SPDX-License-Identifier: MIT
#pragma once

#include "ui/Window.h"

class QLabel;
class QLineEdit;

namespace ui {
class CommandButton;
}

// The new-folder dialog: creates one folder under the main window's
// destination directory and makes it the destination.
class Form1 : public ui::Window {
    Q_OBJECT

public:
    explicit Form1(ui::Services &services);

    QLabel &Label2() const { return *m_label2; }
    QLineEdit &Text1() const { return *m_text1; }
    QLineEdit &Text2() const { return *m_text2; }
    ui::CommandButton &Command1() const { return *m_command1; }
    ui::CommandButton &Command2() const { return *m_command2; }

    void Command1_Click();
    void Command2_Click();

protected:
    void Form_Load() override;

private:
    void createControls();
    void connectEvents();
    QString newFolderPath() const;

    QLabel *m_label2 = nullptr;
    QLabel *m_label3 = nullptr;
    QLineEdit *m_text1 = nullptr;
    QLabel *m_label1 = nullptr;
    ui::CommandButton *m_command1 = nullptr;
    ui::CommandButton *m_command2 = nullptr;
    QLineEdit *m_text2 = nullptr;
};
