// SPDX-License-Identifier: MIT
#pragma once

namespace ui {

// Names the application, gives every window the program icon and maps the
// design fonts to installed ones. Call once after creating QApplication.
void setUpApplication();

// Installs Qt's Japanese translations of its standard texts; false when they
// are not installed, and the standard texts stay English.
bool loadStandardTranslations();

} // namespace ui
