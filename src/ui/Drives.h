// SPDX-License-Identifier: MIT
#pragma once

#include "Platform.h"

#include <optional>

namespace ui {

// The drive whose mount root holds `path`: the deepest root that is the path
// itself or one of its parents.
std::optional<Drive> driveHolding(const QList<Drive> &drives, const QString &path);

} // namespace ui
