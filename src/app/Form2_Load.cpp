// SPDX-License-Identifier: MIT
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

namespace {

// The file types the program takes, in any letter case: lower-case names are
// what most archives on Linux carry, and ".lha" is the same format.
bool isArchiveType(const QString &fileType) {
    return fileType.compare(u"LZH"_s, Qt::CaseInsensitive) == 0 ||
           fileType.compare(u"LHA"_s, Qt::CaseInsensitive) == 0;
}

} // namespace

void Form2::Form_Load() {
    centreOnScreen();
    m_drive4->setDrive(m_services.programDirectory());
    m_label1->setText(m_services.commandLine());
    m_text2->setText(ui::lastCharacters(m_label1->text(), 3));

    if (m_label1->text().isEmpty()) {
        hide();
        m_services.window<Form3>().Show();
    } else if (isArchiveType(m_text2->text())) {
        hide();
        m_services.window<title1>().Show();
    } else {
        m_services.window<Form10>().Show();
        hide();
    }
}
