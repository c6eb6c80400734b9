// Start-up: the main window's load procedure prepares the window, records
// the archive path and decides which window the user sees first.

#include "app/Form10.h"
#include "app/Form3.h"
#include "app/title1.h"
#include "extract/Form2.h"
#include "ui/DriveListBox.h"
#include "ui/Services.h"
#include "ui/Text.h"

#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;

void Form2::Form_Load() {
    centreOnScreen();
    m_drive4->setDrive(m_services.programDirectory());
    m_label1->setText(m_services.commandLine());
    m_text2->setText(ui::lastCharacters(m_label1->text(), 3));

    if (m_label1->text().isEmpty()) {
        hide();
        m_services.window<Form3>().Show();
    } else if (m_text2->text() == u"LZH"_s) {
        hide();
        m_services.window<title1>().Show();
    } else {
        m_services.window<Form10>().Show();
        hide();
    }
}
