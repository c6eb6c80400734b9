#pragma once

namespace ui {

// Names the application, gives every window the program icon and maps the
// design fonts to installed ones. Call once after creating QApplication.
void setUpApplication();

} // namespace ui
