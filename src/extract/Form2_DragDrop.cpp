// SPDX-License-Identifier: MIT
// The extraction run: a drop on Image2 hands the archive and the destination
// to the archive library and, once it returns, shows the finished notice.
#include "Form2.h"

#include "app/Form4.h"
#include "extract/ExtractionRun.h"
#include "extract/Module1.h"
#include "ui/DirListBox.h"
#include "ui/Platform.h"
#include "ui/Services.h"

#include <QLabel>

#include <exception>
#include <vector>

void Form2::Image2_DragDrop(QWidget *, float, float) {
    // The run's local handler: whatever fails skips the rest of the run, and
    // the main window stays as it is, so the user can still cancel.
    try {
        const QString archive = Label1().text();
        const QString destination = Dir4().path();
        // The first call into the library binds it: a missing library or
        // entry stops the run here.
        Module1::UnlhaGetVersion();
        const std::uint32_t handle = hWnd();
        const QByteArray command = ExtractionRun::command(archive, destination).toLocal8Bit();
        std::vector<char> report(ExtractionRun::kReportSize, '\0');
        const int result = Module1::Unlha(handle, command.constData(), report.data(),
                                          static_cast<std::uint32_t>(report.size()));
        // The notice alone would report a failure as success; the user's own
        // cancel is no failure.
        if (result != 0 && !ExtractionRun::isCancel(result))
            m_services.messageBox(
                ExtractionRun::failureMessage(result, QString::fromUtf8(report.data())),
                ui::kStyleExclamationOk, ExtractionRun::errorTitle());
        m_services.window<Form4>().Show();
    } catch (const Module1::BindingError &) {
        m_services.messageBox(ExtractionRun::libraryMissingMessage(), ui::kStyleExclamationOk,
                              ExtractionRun::errorTitle());
    } catch (const std::exception &) {
        m_services.messageBox(ExtractionRun::runFailedMessage(), ui::kStyleExclamationOk,
                              ExtractionRun::errorTitle());
    }
}
