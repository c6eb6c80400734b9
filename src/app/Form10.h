// SPDX-License-Identifier: MIT
#pragma once

#include "ui/Window.h"

namespace ui {
class CommandButton;
}

// The notice that the file given on the command line is no LHA archive.
class Form10 : public ui::Window {
    Q_OBJECT

public:
    explicit Form10(ui::Services &services);

    ui::CommandButton &Command1() const { return *m_command1; }

    void Command1_Click();
    void Form_Unload();

protected:
    void Form_Load() override;

private:
    ui::CommandButton *m_command1 = nullptr;
};
