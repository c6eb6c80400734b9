// SPDX-License-Identifier: MIT
#include "Window.h"

#include "Services.h"
#include "Stacking.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace ui {

namespace {

// The thin raised frame of a fixed dialog border, in pixels.
constexpr int kDialogFrameWidth = 2;

} // namespace

Window::Window(Services &services) : QWidget(nullptr), m_services(services) {}

float Window::Left() const {
    return toTwips(pos().x());
}
float Window::Top() const {
    return toTwips(pos().y());
}
float Window::Width() const {
    return toTwips(frameGeometry().width());
}
float Window::Height() const {
    return toTwips(frameGeometry().height());
}

void Window::setLeft(float twips) {
    move(toPixels(twips), pos().y());
}
void Window::setTop(float twips) {
    move(pos().x(), toPixels(twips));
}

bool Window::isFramed() const {
    return frameGeometry().size() != size();
}

void Window::centreOnScreen() {
    m_centreWhenFramed = !isFramed();
    setLeft((m_services.screenWidth() - Width()) / 2.0f);
    setTop((m_services.screenHeight() - Height()) / 2.0f);
}

void Window::Show() {
    if (!m_shownBefore && m_centreWhenFirstShown)
        centreOnScreen();
    m_shownBefore = true;
    if (m_dialog) {
        if (Window *owner = m_services.mainWindowFor(*this))
            keepAbove(*this, *owner);
    }
    show();
    raise();
    activateWindow();
}

void Window::setClientSize(float widthTwips, float heightTwips) {
    setFixedSize(toPixels(widthTwips) + 2 * m_drawnFrame, toPixels(heightTwips) + 2 * m_drawnFrame);
}

QPoint Window::clientOrigin() const {
    return QPoint(m_drawnFrame, m_drawnFrame);
}

void Window::useFixedSingleBorder(const QString &caption) {
    setWindowTitle(caption);
    // Only the close button: a fixed window can be neither maximised nor
    // minimised on its own.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
}

void Window::useSplashBorder() {
    setWindowTitle(QString());
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    m_drawnFrame = kDialogFrameWidth;
    m_centreWhenFirstShown = true;
}

void Window::paintEvent(QPaintEvent *event) {
    QWidget::paintEvent(event);
    if (m_drawnFrame == 0)
        return;
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
}

void Window::keepAboveMainWindow() {
    m_dialog = true;
    // X11 window managers honour the transient-for hint on dialogs only.
    setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
}

bool Window::event(QEvent *event) {
    // A disabled window cannot be used; the dialog that disabled it can.
    if (event->type() == QEvent::WindowActivate && !isEnabled())
        raiseDialogsAbove(*this);
    // The window manager places the frame where the client area was meant to
    // go, and reports the frame some time after; the user has not moved the
    // window yet.
    if (event->type() == QEvent::Move && m_centreWhenFramed && isFramed())
        centreOnScreen();
    return QWidget::event(event);
}

void Window::closeEvent(QCloseEvent *event) {
    // The window stays in the registry; what a close means is the window's own
    // unload procedure's decision.
    event->ignore();
    emit unloadRequested();
}

} // namespace ui
