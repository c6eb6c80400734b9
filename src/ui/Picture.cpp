// SPDX-License-Identifier: MIT
#include "Picture.h"

#include "Twips.h"

#include <QApplication>
#include <QBitmap>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QSvgRenderer>

namespace ui {

Picture::Picture(QWidget *parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
}

QString Picture::mimeType() {
    return QStringLiteral("application/x-hokora-picture");
}

void Picture::setSvg(const QString &resource, bool stretch) {
    if (!m_svg)
        m_svg = new QSvgRenderer(this);
    m_svg->load(resource);
    m_stretch = stretch;
    update();
}

void Picture::setPixmap(const QPixmap &pixmap) {
    m_pixmap = pixmap;
    m_stretch = false;
    update();
}

void Picture::setAutomaticDrag(const QString &dragImageResource) {
    m_dragImage = dragImageResource;
    setFocusPolicy(Qt::TabFocus);
}

void Picture::setAcceptsDraggedPictures(bool accepts) {
    setAcceptDrops(accepts);
}

void Picture::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    if (m_svg && m_svg->isValid()) {
        m_svg->render(&painter,
                      m_stretch ? QRectF(rect()) : QRectF(QPointF(), m_svg->defaultSize()));
    } else if (!m_pixmap.isNull()) {
        painter.drawPixmap(0, 0, m_pixmap);
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void Picture::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    if (!m_dragImage.isEmpty() &&
        (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        // Like a drop, the procedure runs after the key event has been handled.
        QMetaObject::invokeMethod(this, &Picture::keyboardDrag, Qt::QueuedConnection);
        return;
    }
    QWidget::keyPressEvent(event);
}

void Picture::mousePressEvent(QMouseEvent *event) {
    m_pressed = !m_dragImage.isEmpty() && event->button() == Qt::LeftButton;
    m_pressPosition = event->position().toPoint();
}

void Picture::mouseMoveEvent(QMouseEvent *event) {
    if (m_pressed && (event->position().toPoint() - m_pressPosition).manhattanLength() >=
                         QApplication::startDragDistance()) {
        m_pressed = false;
        startDrag();
    }
}

QPixmap Picture::dragPixmap() const {
    QPixmap image(size() * devicePixelRatioF());
    image.setDevicePixelRatio(devicePixelRatioF());
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        QSvgRenderer(m_dragImage).render(&painter, QRectF(rect()));
    }
    // Cursors without an alpha channel take their shape from the mask.
    image.setMask(QBitmap::fromImage(image.toImage().createAlphaMask()));
    return image;
}

void Picture::startDrag() {
    const QPixmap image = dragPixmap();
    auto *payload = new QMimeData;
    payload->setData(mimeType(), objectName().toUtf8());
    auto *drag = new QDrag(this);
    drag->setMimeData(payload);
    // The pointer itself becomes the picture, over a target or not: unlike a
    // drag window, a cursor keeps its shape without a compositor.
    QPixmap nothing(1, 1);
    nothing.fill(Qt::transparent);
    drag->setPixmap(nothing);
    drag->setDragCursor(image, Qt::MoveAction);
    drag->setDragCursor(image, Qt::IgnoreAction);
    drag->exec(Qt::MoveAction);
}

void Picture::dragEnterEvent(QDragEnterEvent *event) {
    if (event->mimeData()->hasFormat(mimeType()))
        event->acceptProposedAction();
}

void Picture::dragMoveEvent(QDragMoveEvent *event) {
    if (event->mimeData()->hasFormat(mimeType()))
        event->acceptProposedAction();
}

void Picture::dropEvent(QDropEvent *event) {
    if (!event->mimeData()->hasFormat(mimeType()))
        return;
    event->acceptProposedAction();
    const QPointF at = event->position();
    const float x = static_cast<float>(at.x()) * kTwipsPerPixel;
    const float y = static_cast<float>(at.y()) * kTwipsPerPixel;
    // The drop procedure may run for long and open windows of its own, so it
    // runs once the drag has ended: the drag's event loop, pointer grab and
    // drag image are gone by then.
    QMetaObject::invokeMethod(
        this,
        [this, source = QPointer<QWidget>(qobject_cast<QWidget *>(event->source())), x, y] {
            emit dragDrop(source, x, y);
        },
        Qt::QueuedConnection);
}

} // namespace ui
