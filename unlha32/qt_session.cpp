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
#include <QTimer>

#include <atomic>
#include <chrono>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
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

// How often the progress window takes the latest report. The engine
// reports every mebibyte as well, and each showing repaints the window (and
// the display server with it) on the cores the decoding needs.
constexpr std::chrono::milliseconds kShowInterval{100};

// The latest progress report, waiting for the user-interface thread.
class LatestProgress {
public:
    void keep(const lha::Progress &progress) {
        std::lock_guard lock(m_mutex);
        m_progress = progress;
        m_fresh = true;
    }
    // The report kept since the last take, if any.
    std::optional<lha::Progress> takeFresh() {
        std::lock_guard lock(m_mutex);
        if (!std::exchange(m_fresh, false))
            return std::nullopt;
        return m_progress;
    }

private:
    std::mutex m_mutex;
    lha::Progress m_progress;
    bool m_fresh = false;
};

// Options whose callbacks, called on the worker, never touch a window:
// progress is left in `latest`, the overwrite question is posted as a query
// the worker waits on.
lha::ExtractOptions windowOptions(ProgressWindow &window, LatestProgress &latest,
                                  std::atomic<bool> &cancel,
                                  const std::filesystem::path &destination) {
    lha::ExtractOptions options;
    options.cancel = &cancel;
    options.progress = [&latest](const lha::Progress &p) { latest.keep(p); };
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

    QTimer shower;
    QObject::connect(&shower, &QTimer::timeout, &window, [&window, &latest] {
        if (const auto shown = latest.takeFresh())
            window.showProgress(QString::fromStdString(shown->member), shown->done, shown->total);
    });
    shower.start(kShowInterval);

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
