#include "run_fixture.h"

#include "app/Form4.h"
#include "ui/DirListBox.h"
#include "ui/Picture.h"

#include <QApplication>
#include <QLabel>

int RecordingPlatform::messageBox(const QString &text, int style, const QString &title) {
    boxes.push_back({text, style, title, RunFixture::noticeShown()});
    return ui::MessageBoxOk;
}

RunFixture::RunFixture() : m_form2(m_services.window<Form2>()) {
    m_form2.Show();
}

void RunFixture::drop(const QString &archive, const QString &destination) {
    m_form2.Label1().setText(archive);
    m_form2.Dir4().setPath(destination);
    m_form2.Image2_DragDrop(&m_form2.Image1(), 120.0f, 45.0f);
}

bool RunFixture::noticeShown() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<Form4 *>(w) != nullptr && w->isVisible())
            return true;
    return false;
}
