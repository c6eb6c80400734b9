// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

namespace ui {

class Services;

// Base of every window of the program: one instance per kind, created and
// loaded by Services::window<T>(), never destroyed before the program ends.
// Geometry is in twips; Left and Top are the outer frame's position.
class Window : public QWidget {
    Q_OBJECT

public:
    explicit Window(Services &services);

    bool isLoaded() const { return m_loadState == LoadState::Loaded; }

    float Left() const;
    float Top() const;
    // Outer size where the window system reports a frame, client size before.
    float Width() const;
    float Height() const;
    void setLeft(float twips);
    void setTop(float twips);

    // Left from the widths, then Top from the heights, against the screen.
    // Before the window manager has framed the window the client size stands
    // for the outer size; the window is centred again by its frame once the
    // window manager reports it.
    void centreOnScreen();
    // Visible and modeless. A dialog is kept above the program's visible
    // main window (see keepAboveMainWindow) but has no widget parent.
    void Show();
    bool isDialog() const { return m_dialog; }

signals:
    // The user closed the window with its title-bar close button.
    void unloadRequested();

protected:
    virtual void Form_Load() {}

    void setClientSize(float widthTwips, float heightTwips);
    // Title bar with the close button only, not resizable.
    void useFixedSingleBorder(const QString &caption);
    // No title bar, not in the task bar, placed at the screen's centre when
    // first shown; a thin fixed dialog frame, drawn by the window itself
    // around the client area, since window managers give an uncaptioned
    // window either a full frame or none.
    void useSplashBorder();
    // Where the client area starts inside the window: past the drawn frame.
    QPoint clientOrigin() const;
    // Marks a dialog or notice: when shown, the window manager keeps it above
    // the main window, which raises it again when activated while disabled.
    void keepAboveMainWindow();

    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

    void closeEvent(QCloseEvent *event) override;

    Services &m_services;

private:
    // Whether the window manager has reported the window's frame.
    bool isFramed() const;

    friend class Services;
    enum class LoadState { NotLoaded, Loading, Loaded };
    LoadState m_loadState = LoadState::NotLoaded;
    bool m_centreWhenFirstShown = false;
    bool m_centreWhenFramed = false;
    bool m_shownBefore = false;
    bool m_dialog = false;
    int m_drawnFrame = 0; // pixels on each side
};

} // namespace ui
