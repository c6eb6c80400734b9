// SPDX-License-Identifier: MIT
#include "Text.h"

namespace ui {

QString lastCharacters(const QString &text, int count) {
    qsizetype start = text.size();
    for (int taken = 0; taken < count && start > 0; ++taken) {
        --start;
        if (start > 0 && text.at(start).isLowSurrogate() && text.at(start - 1).isHighSurrogate())
            --start;
    }
    return text.mid(start);
}

} // namespace ui
