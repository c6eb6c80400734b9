#include "qt_session.h"

#include "overwrite_query.h"
#include "overwrite_question.h"
#include "progress_window.h"

#include <QEventLoop>
#include <QFile>

#include <atomic>
#include <exception>
#include <memory>
#include <thread>
#include <utility>

namespace unlha32 {
namespace {

// Runs on the worker thread; the question itself is shown on the
// user-interface thread, over the progress window.
lha::OverwriteDecision askOnUserInterface(ProgressWindow &window, const std::string &name) {
    auto query = std::make_shared<OverwriteQuery>();
    QMetaObject::invokeMethod(
        &window,
        [&window, query, name] {
            OverwriteQuestion question(&window, QString::fromStdString(name));
            question.exec();
            query->answer(question.decision());
        },
        Qt::QueuedConnection);
    return query->wait();
}

} // namespace

QtSession::QtSession(QWidget *owner, Engine engine) : m_owner(owner), m_engine(std::move(engine)) {}

lha::Result QtSession::extract(const lha::Command &command) {
    ProgressWindow window(m_owner, QFile::decodeName(command.archive.filename().c_str()));
    std::atomic<bool> cancel{false};
    QObject::connect(&window, &ProgressWindow::cancelRequested, [&cancel] { cancel = true; });

    // Read and written only by the worker.
    bool replaceAll = false;
    lha::Options options;
    options.cancel = &cancel;
    options.progress = [&window](const lha::Progress &p) {
        QMetaObject::invokeMethod(
            &window,
            [&window, member = QString::fromStdString(p.member), done = p.done, total = p.total] {
                window.showProgress(member, done, total);
            },
            Qt::QueuedConnection);
    };
    options.overwrite = [&window, &cancel, &replaceAll](const std::string &name) {
        if (replaceAll)
            return lha::OverwriteDecision::Replace;
        const auto decision = askOnUserInterface(window, name);
        if (decision == lha::OverwriteDecision::ReplaceAll)
            replaceAll = true;
        if (decision == lha::OverwriteDecision::Cancel)
            cancel = true;
        return decision;
    };

    QEventLoop loop;
    lha::Result result;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            result = m_engine(command.archive, command.destination, options);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    window.show();
    loop.exec();
    worker.join();
    window.finish();
    if (failure)
        std::rethrow_exception(failure);
    return result;
}

} // namespace unlha32
