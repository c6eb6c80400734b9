// SPDX-License-Identifier: MIT
#pragma once

#include "ui/Window.h"

class QLabel;

namespace ui {
class CommandButton;
}

// The About window: product, version, copyright, user name and build number.
class Form5 : public ui::Window {
    Q_OBJECT

public:
    explicit Form5(ui::Services &services);

    QLabel &Label4() const { return *m_label4; }
    QLabel &Label6() const { return *m_label6; }
    ui::CommandButton &Command1() const { return *m_command1; }

    void Command1_Click();

protected:
    void Form_Load() override;
    void paintEvent(QPaintEvent *event) override;

private:
    void createControls();

    QLabel *m_label4 = nullptr;
    QLabel *m_label6 = nullptr;
    ui::CommandButton *m_command1 = nullptr;
};
