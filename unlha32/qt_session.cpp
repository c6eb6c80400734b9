// SPDX-License-Identifier: MIT
#include "qt_session.h"

#include "overwrite_query.h"
#include "overwrite_question.h"
#include "progress_window.h"
#include "report_window.h"
#include "unlha32.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace unlha {
namespace {

FileFacts factsOnDisk(const std::filesystem::path &file) {
    const QFileInfo info(QFile::decodeName(file.c_str()));
    if (!info.exists())
        return {};
    return {static_cast<uint64_t>(info.size()), info.lastModified()};
}

FileFacts factsOfMember(const lha::MemberInfo &member) {
    FileFacts facts{member.originalSize, std::nullopt};
    if (member.mtime)
        facts.modified = QDateTime::fromSecsSinceEpoch(*member.mtime);
    return facts;
}

// Runs on the worker thread; the question itself is shown on the
// user-interface thread, over the progress window.
lha::OverwriteDecision askOnUserInterface(ProgressWindow &window, const std::string &name,
                                          const FileFacts &existing, const FileFacts &member) {
    auto query = std::make_shared<OverwriteQuery>();
    QMetaObject::invokeMethod(
        &window,
        [&window, query, name, existing, member] {
            OverwriteQuestion question(&window, QString::fromStdString(name), existing, member);
            question.exec();
            query->answer(question.decision());
        },
        Qt::QueuedConnection);
    return query->wait();
}

// The latest progress report, waiting for the user-interface thread.
class LatestProgress {
public:
    // Keeps the report; true when no post for it is queued yet.
    bool keep(const lha::Progress &progress) {
        std::lock_guard lock(m_mutex);
        m_progress = progress;
        return !std::exchange(m_queued, true);
    }
    lha::Progress take() {
        std::lock_guard lock(m_mutex);
        m_queued = false;
        return m_progress;
    }

private:
    std::mutex m_mutex;
    lha::Progress m_progress;
    bool m_queued = false;
};

// Options whose callbacks, called on the worker, reach the windows only
// through posts: progress through `latest`, the overwrite question through a
// query the worker waits on.
lha::ExtractOptions windowOptions(ProgressWindow &window, LatestProgress &latest,
                                  std::atomic<bool> &cancel,
                                  const std::filesystem::path &destination) {
    lha::ExtractOptions options;
    options.cancel = &cancel;
    options.progress = [&window, &latest](const lha::Progress &p) {
        if (!latest.keep(p))
            return;
        QMetaObject::invokeMethod(
            &window,
            [&window, &latest] {
                const lha::Progress shown = latest.take();
                window.showProgress(QString::fromStdString(shown.member), shown.done, shown.total);
            },
            Qt::QueuedConnection);
    };
    // The engine itself stops asking after "all" answers.
    options.overwrite = [&window, &cancel, destination](const lha::MemberInfo &member) {
        const auto decision = askOnUserInterface(
            window, member.name, factsOnDisk(destination / member.name), factsOfMember(member));
        if (decision == lha::OverwriteDecision::Cancel)
            cancel = true;
        return decision;
    };
    return options;
}

} // namespace

QtSession::QtSession(QWidget *owner, Engine engine) : m_owner(owner), m_engine(std::move(engine)) {}

lha::Result QtSession::extract(const unlha::Command &command) {
    m_archiveName = QFile::decodeName(command.archive.filename().c_str());
    ProgressWindow window(m_owner, m_archiveName);
    std::atomic<bool> cancel{false};
    QObject::connect(&window, &ProgressWindow::cancelRequested, [&cancel] { cancel = true; });
    LatestProgress latest;
    const lha::ExtractOptions options = windowOptions(window, latest, cancel, command.destination);

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

void QtSession::showFailures(const lha::Result &result, int code) {
    if (code == UNLHA_OK || code == UNLHA_ERROR_CANCELLED)
        return;
    ReportWindow window(m_owner, failureList(result, code, m_archiveName));
    window.exec();
}

} // namespace unlha
