// SPDX-License-Identifier: MIT
#pragma once

namespace ui {
class Services;
}

// Starts the program: creates and loads the main window without showing it;
// its load procedure shows the first window.
void startProgram(ui::Services &services);
