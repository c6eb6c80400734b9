// SPDX-License-Identifier: MIT
#pragma once

#include "Fonts.h"
#include "Twips.h"

#include <QString>

#include <optional>

class QLabel;
class QLineEdit;
class QWidget;

namespace ui {

class CommandButton;
class Picture;

// Controls as the window designs list them: name, caption, twips rectangle
// and, where the design names one, a font of their own.
QLabel *makeLabel(QWidget *parent, const char *name, const QString &caption, TwipsRect rect,
                  std::optional<FontSpec> font = std::nullopt);
// A label for a path: shown cut so that the file name stays whole, the whole
// path as its tooltip.
QLabel *makePathLabel(QWidget *parent, const char *name, const QString &caption, TwipsRect rect,
                      std::optional<FontSpec> font = std::nullopt);
CommandButton *makeCommandButton(QWidget *parent, const char *name, const QString &caption,
                                 TwipsRect rect, std::optional<FontSpec> font = std::nullopt);
QLineEdit *makeTextBox(QWidget *parent, const char *name, const QString &text, TwipsRect rect,
                       std::optional<FontSpec> font = std::nullopt);
Picture *makePicture(QWidget *parent, const char *name, TwipsRect rect);

} // namespace ui
