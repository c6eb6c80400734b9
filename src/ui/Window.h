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
    void centreOnScreen();
    // Visible, modeless, without an owner.
    void Show();

signals:
    // The user closed the window with its title-bar close button.
    void unloadRequested();

protected:
    virtual void Form_Load() {}

    void setClientSize(float widthTwips, float heightTwips);
    // Title bar with the close button only, not resizable.
    void useFixedSingleBorder(const QString &caption);
    // No title bar, not in the task bar, placed at the screen's centre when
    // first shown.
    void useSplashBorder();

    void closeEvent(QCloseEvent *event) override;

    Services &m_services;

private:
    friend class Services;
    enum class LoadState { NotLoaded, Loading, Loaded };
    LoadState m_loadState = LoadState::NotLoaded;
    bool m_centreWhenFirstShown = false;
    bool m_shownBefore = false;
};

} // namespace ui
