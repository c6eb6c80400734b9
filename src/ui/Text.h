// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace ui {

// The last `count` characters of `text`, counted as characters rather than
// UTF-16 units, so that a character outside the basic plane counts as one.
QString lastCharacters(const QString &text, int count);

} // namespace ui
