// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

namespace ui {

// Dialogs stay modeless, yet above the window they belong to: the window
// manager's transient-for hint on the dialog's native window names its owner.
// A widget parent would do the same but would also take the owner's disabled
// state with it, and the program disables the owner while a dialog is open.
void keepAbove(QWidget &dialog, QWidget &owner);

// Raises every visible dialog kept above `owner`; called when the user
// activates an owner that is disabled, so the dialog that waits for an
// answer cannot stay hidden behind it.
void raiseDialogsAbove(QWidget &owner);

// The window a message box shown now belongs to: the active window, else a
// visible enabled window of the program, else any visible one; null when no
// window of the program is visible.
QWidget *messageBoxOwner();

} // namespace ui
