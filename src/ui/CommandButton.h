// SPDX-License-Identifier: MIT
#pragma once

#include <QPushButton>

namespace ui {

// A push button that Enter and Return press when it has the focus, as on the
// desktop the windows were designed for; it is never a default button.
class CommandButton : public QPushButton {
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace ui
