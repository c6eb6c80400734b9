// SPDX-License-Identifier: MIT
#pragma once

#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QWidget>

class QSvgRenderer;

namespace ui {

// A picture control: an SVG from the resources or a pixmap, either stretched
// to the control or drawn at its own size. With automatic drag mode the user
// drags it with the mouse, or gives it the focus and presses Space or Enter,
// which raises keyboardDrag; a picture with a drop handler raises dragDrop
// when a dragged picture is released over it.
class Picture : public QWidget {
    Q_OBJECT

public:
    explicit Picture(QWidget *parent);

    void setSvg(const QString &resource, bool stretch);
    void setPixmap(const QPixmap &pixmap);
    // Automatic drag mode, showing `dragImage` under the pointer while dragged;
    // the picture then also takes the focus with the Tab key.
    void setAutomaticDrag(const QString &dragImageResource);
    void setAcceptsDraggedPictures(bool accepts);

    static QString mimeType();

    // The drag image: the resource drawn at the picture's size, masked to its
    // shape; the pointer shows it while the picture is dragged.
    QPixmap dragPixmap() const;

signals:
    // Space or Enter on a picture in automatic drag mode: the keyboard's way
    // of dropping it on the target the window means.
    void keyboardDrag();
    // x and y are the drop point in twips within this picture.
    void dragDrop(QWidget *source, float x, float y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void startDrag();

    QSvgRenderer *m_svg = nullptr;
    QPixmap m_pixmap;
    bool m_stretch = true;
    QString m_dragImage;
    QPoint m_pressPosition;
    bool m_pressed = false;
};

} // namespace ui
