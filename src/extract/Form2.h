// SPDX-License-Identifier: MIT
#pragma once

// The main window. Its controls are reachable through the public accessors
// below (Label1() holds the archive path, Dir4().path() the destination,
// hWnd() the native window handle); other windows are reached through
// m_services.window<T>(), which loads a window on first use, and message
// boxes, beep and the end of the program through m_services (ui/Services.h).
// The drop procedure Image2_DragDrop lives in Form2_DragDrop.cpp.

#include "ui/Window.h"

#include <cstdint>

class QLabel;
class QLineEdit;

namespace ui {
class CommandButton;
class DirListBox;
class DriveListBox;
class Picture;
} // namespace ui

class Form2 : public ui::Window {
    Q_OBJECT

public:
    explicit Form2(ui::Services &services);

    QLabel &Label1() const { return *m_label1; }
    QLineEdit &Text2() const { return *m_text2; }
    ui::DirListBox &Dir4() const { return *m_dir4; }
    ui::DriveListBox &Drive4() const { return *m_drive4; }
    ui::Picture &Image1() const { return *m_image1; }
    ui::Picture &Image2() const { return *m_image2; }
    ui::CommandButton &Command1() const { return *m_command1; }
    ui::CommandButton &Command2() const { return *m_command2; }
    ui::CommandButton &Command3() const { return *m_command3; }
    // The 32-bit handle of the native window, for the archive library.
    std::uint32_t hWnd();

    void Drive4_Change();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Image2_DragDrop(QWidget *source, float x, float y);
    // Space or Enter on the focused floppy disk: the same drop, by keyboard.
    void Image1_KeyDrop();
    void Form_Unload();

protected:
    void Form_Load() override;

private:
    void createPictures();
    void createLabels();
    void createDestinationLists();
    void createButtons();
    void connectEvents();

    // Whether the extraction has run: once per start of the program.
    enum class RunState { Ready, Running, Finished };
    RunState m_run = RunState::Ready;

    QLabel *m_label8 = nullptr;
    QLabel *m_label2 = nullptr;
    QLabel *m_label6 = nullptr;
    QLabel *m_label1 = nullptr;
    QLabel *m_label3 = nullptr;
    ui::Picture *m_image1 = nullptr;
    ui::Picture *m_image4 = nullptr;
    ui::Picture *m_image2 = nullptr;
    ui::DirListBox *m_dir4 = nullptr;
    ui::DriveListBox *m_drive4 = nullptr;
    ui::CommandButton *m_command1 = nullptr;
    ui::CommandButton *m_command3 = nullptr;
    ui::CommandButton *m_command2 = nullptr;
    QLineEdit *m_text2 = nullptr;
};
