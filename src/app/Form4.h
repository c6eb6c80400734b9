// SPDX-License-Identifier: MIT
#pragma once

#include "ui/Window.h"

namespace ui {
class CommandButton;
}

// The notice that the extraction work has finished; acknowledging it ends
// the program.
class Form4 : public ui::Window {
    Q_OBJECT

public:
    explicit Form4(ui::Services &services);

    ui::CommandButton &Command1() const { return *m_command1; }

    void Command1_Click();
    void Form_Unload();

protected:
    void Form_Load() override;

private:
    ui::CommandButton *m_command1 = nullptr;
};
