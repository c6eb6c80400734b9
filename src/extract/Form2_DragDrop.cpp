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

void Form2::Image2_DragDrop(QWidget *, float, float) {
    // The library keeps the windows serving events while it works, so drops
    // and key presses queued before or during the call arrive here again;
    // the extraction runs once per start all the same.
    if (m_run != RunState::Ready)
        return;
    m_run = RunState::Running;
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
        // The library says what went wrong in its own windows; its result and
        // its report are not the program's affair.
        char output[] = "";
        Module1::Unlha(handle, command.constData(), output, 0);
        m_run = RunState::Finished;
        m_services.window<Form4>().Show();
    } catch (const Module1::BindingError &) {
        // The library was never called: the user may try again.
        m_run = RunState::Ready;
        m_services.messageBox(ExtractionRun::libraryMissingMessage(), ui::kStyleExclamationOk,
                              ExtractionRun::errorTitle());
    } catch (const std::exception &) {
        if (m_run == RunState::Running)
            m_run = RunState::Ready;
        m_services.messageBox(ExtractionRun::runFailedMessage(), ui::kStyleExclamationOk,
                              ExtractionRun::errorTitle());
    }
}
