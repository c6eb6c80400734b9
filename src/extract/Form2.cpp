// SPDX-License-Identifier: MIT
#include "Form2.h"

#include "extract/Form1.h"
#include "info/Form5.h"
#include "ui/CommandButton.h"
#include "ui/Controls.h"
#include "ui/DirListBox.h"
#include "ui/DriveListBox.h"
#include "ui/Error.h"
#include "ui/Picture.h"
#include "ui/Services.h"

#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;

Form2::Form2(ui::Services &services) : ui::Window(services) {
    useFixedSingleBorder(u"Ｈ．Ｋ"_s);
    setClientSize(9465, 5880);
    createPictures();
    createLabels();
    createDestinationLists();
    createButtons();
    connectEvents();
}

void Form2::createPictures() {
    m_image1 = ui::makePicture(this, "Image1", {1800, 840, 975, 975});
    m_image1->setSvg(u":/images/floppy.svg"_s, true);
    m_image1->setAutomaticDrag(u":/images/floppy-tilted.svg"_s);

    m_image4 = ui::makePicture(this, "Image4", {4440, 1080, 480, 480});
    m_image4->setSvg(u":/images/arrow-right.svg"_s, false);

    m_image2 = ui::makePicture(this, "Image2", {7200, 840, 720, 735});
    m_image2->setSvg(u":/images/drive.svg"_s, true);
    m_image2->setAcceptsDraggedPictures(true);
}

void Form2::createLabels() {
    m_label8 = ui::makeLabel(
        this, "Label8",
        u"解凍先フォルダを指定してフロッピーアイコンをドライブアイコンへドラッグ＆ドロップしてください。"_s,
        {1080, 480, 7455, 255});
    m_label2 = ui::makeLabel(this, "Label2", u"解 凍 実 行"_s, {6720, 1560, 1815, 375},
                             ui::FontSpec{ui::PGothic, 18});
    QPalette blue = m_label2->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    m_label2->setPalette(blue);
    m_label6 = ui::makeLabel(this, "Label6", u"解凍元ファイル"_s, {360, 2040, 1215, 255});
    m_label1 = ui::makePathLabel(this, "Label1", u"Label1"_s, {600, 2400, 3735, 255});
    m_label3 = ui::makeLabel(this, "Label3", u"解凍先フォルダ"_s, {6000, 2280, 1935, 375},
                             ui::FontSpec{ui::PGothic, 14.25});
}

void Form2::createDestinationLists() {
    m_dir4 = new ui::DirListBox(this, m_services.platform());
    m_dir4->setObjectName(u"Dir4"_s);
    m_dir4->setGeometry(ui::TwipsRect{6000, 2640, 3135, 2130}.toPixels());
    m_drive4 = new ui::DriveListBox(this, m_services.platform());
    m_drive4->setObjectName(u"Drive4"_s);
    m_drive4->setGeometry(ui::TwipsRect{6000, 4800, 3135, 300}.toPixels());
}

void Form2::createButtons() {
    m_command1 =
        ui::makeCommandButton(this, "Command1", u"新規フォルダ作成"_s, {6000, 5160, 3135, 375});
    m_command3 =
        ui::makeCommandButton(this, "Command3", u"バージョン情報"_s, {1200, 3600, 3375, 615});
    m_command2 = ui::makeCommandButton(this, "Command2", u"キャンセル"_s, {1200, 4200, 3375, 615});
    // Carries the file-type text below the visible area; typing into it
    // would change nothing the user can see, so it never takes the focus.
    m_text2 = ui::makeTextBox(this, "Text2", u"Text2"_s, {2400, 6720, 3375, 375});
    m_text2->setFocusPolicy(Qt::NoFocus);

    setTabOrder(m_dir4, m_drive4);
    setTabOrder(m_drive4, m_command1);
    setTabOrder(m_command1, m_command3);
    setTabOrder(m_command3, m_command2);
    // After the designed order the floppy disk takes the focus, so that the
    // extraction can be started without a mouse.
    setTabOrder(m_command2, m_image1);
    m_dir4->setFocus();
}

void Form2::connectEvents() {
    m_services.connectEvent(m_drive4, &ui::DriveListBox::change, this, &Form2::Drive4_Change);
    m_services.connectEvent(m_command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    m_services.connectEvent(m_command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    m_services.connectEvent(m_command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    m_services.connectEvent(m_image2, &ui::Picture::dragDrop, this, &Form2::Image2_DragDrop);
    m_services.connectEvent(m_image1, &ui::Picture::keyboardDrag, this, &Form2::Image1_KeyDrop);
    m_services.connectEvent(this, &ui::Window::unloadRequested, this, &Form2::Form_Unload);
}

std::uint32_t Form2::hWnd() {
    return static_cast<std::uint32_t>(winId());
}

void Form2::Image1_KeyDrop() {
    // The keyboard drops the floppy disk in the middle of the disk drive.
    const QRect target = m_image2->rect();
    Image2_DragDrop(m_image1, ui::toTwips(target.width()) / 2, ui::toTwips(target.height()) / 2);
}

void Form2::Drive4_Change() {
    for (;;) {
        try {
            // A drive unmounted since the list was read is not ready.
            if (!m_drive4->isDriveMounted())
                throw ui::Error(ui::kErrDeviceUnavailable);
            m_dir4->setPath(m_drive4->drive());
            return;
        } catch (const ui::Error &error) {
            const QString message = error.number() == ui::kErrDeviceUnavailable
                                        ? u"ドライブの準備ができていません"_s
                                        : u"？？？"_s;
            const int answer =
                m_services.messageBox(message + QChar(13) + u"再読み込みしますか？"_s,
                                      ui::kStyleExclamationOkCancel, u"エラーメッセージ"_s);
            if (answer != ui::kMessageBoxOk) {
                // Back to the program's drive, not to the drive chosen before.
                m_drive4->setDrive(m_services.programDirectory());
                return;
            }
        }
    }
}

void Form2::Command1_Click() {
    Form1 &form1 = m_services.window<Form1>();
    form1.Show();
    form1.Label2().setText(m_dir4->path());
    form1.Text2().setText(m_dir4->path());
}

void Form2::Command2_Click() {
    m_services.endProgram();
}

void Form2::Command3_Click() {
    m_services.window<Form5>().Show();
}

void Form2::Form_Unload() {
    m_services.endProgram();
}
