// SPDX-License-Identifier: MIT
#pragma once

#include "ui/Window.h"

namespace ui {
class CommandButton;
}

// The instructions window, shown when the program starts without an archive.
class Form3 : public ui::Window {
    Q_OBJECT

public:
    explicit Form3(ui::Services &services);

    ui::CommandButton &Command1() const { return *m_command1; }
    ui::CommandButton &Command2() const { return *m_command2; }

    void Command1_Click();
    void Command2_Click();
    void Form_Unload();

protected:
    void Form_Load() override;

private:
    void createControls();

    ui::CommandButton *m_command1 = nullptr;
    ui::CommandButton *m_command2 = nullptr;
};
