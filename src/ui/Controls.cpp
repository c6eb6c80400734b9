// SPDX-License-Identifier: MIT
#include "Controls.h"

#include "CommandButton.h"
#include "PathLabel.h"
#include "Picture.h"

#include <QLabel>
#include <QLineEdit>

namespace ui {

namespace {

void place(QWidget *control, const char *name, TwipsRect rect,
           const std::optional<FontSpec> &font) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(rect.toPixels());
    if (font)
        control->setFont(makeFont(*font));
}

void setUpLabel(QLabel *label, const char *name, TwipsRect rect,
                const std::optional<FontSpec> &font) {
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    place(label, name, rect, font);
}

} // namespace

QLabel *makeLabel(QWidget *parent, const char *name, const QString &caption, TwipsRect rect,
                  std::optional<FontSpec> font) {
    auto *label = new QLabel(caption, parent);
    setUpLabel(label, name, rect, font);
    return label;
}

QLabel *makePathLabel(QWidget *parent, const char *name, const QString &caption, TwipsRect rect,
                      std::optional<FontSpec> font) {
    auto *label = new PathLabel(caption, parent);
    setUpLabel(label, name, rect, font);
    return label;
}

CommandButton *makeCommandButton(QWidget *parent, const char *name, const QString &caption,
                                 TwipsRect rect, std::optional<FontSpec> font) {
    auto *button = new CommandButton(caption, parent);
    button->setAutoDefault(false);
    button->setDefault(false);
    place(button, name, rect, font);
    return button;
}

QLineEdit *makeTextBox(QWidget *parent, const char *name, const QString &text, TwipsRect rect,
                       std::optional<FontSpec> font) {
    auto *box = new QLineEdit(text, parent);
    place(box, name, rect, font);
    return box;
}

Picture *makePicture(QWidget *parent, const char *name, TwipsRect rect) {
    auto *picture = new Picture(parent);
    place(picture, name, rect, std::nullopt);
    return picture;
}

} // namespace ui
