#include "Window.h"

#include "Services.h"
#include "Twips.h"

#include <QCloseEvent>

namespace ui {

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

void Window::centreOnScreen() {
    setLeft((m_services.screenWidth() - Width()) / 2.0f);
    setTop((m_services.screenHeight() - Height()) / 2.0f);
}

void Window::Show() {
    if (!m_shownBefore && m_centreWhenFirstShown)
        centreOnScreen();
    m_shownBefore = true;
    show();
    raise();
    activateWindow();
}

void Window::setClientSize(float widthTwips, float heightTwips) {
    setFixedSize(toPixels(widthTwips), toPixels(heightTwips));
}

void Window::useFixedSingleBorder(const QString &caption) {
    setWindowTitle(caption);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
}

void Window::useSplashBorder() {
    setWindowTitle(QString());
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    m_centreWhenFirstShown = true;
}

void Window::closeEvent(QCloseEvent *event) {
    // The window stays in the registry; what a close means is the window's own
    // unload procedure's decision.
    event->ignore();
    emit unloadRequested();
}

} // namespace ui
