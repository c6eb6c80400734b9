// SPDX-License-Identifier: MIT
#include "qt_session.h"

#include "overwrite_query.h"
#include "overwrite_question.h"
#include "progress_window.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <exception>
#include <map>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace unlha32 {
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

// The archive's members by name, read once, when the first question needs
// them; the engine names a member the same way when it asks.
class MemberFacts {
public:
    explicit MemberFacts(std::filesystem::path archive) : m_archive(std::move(archive)) {}

    FileFacts of(const std::string &name) {
        if (!m_read) {
            m_read = true;
            std::vector<lha::MemberInfo> members;
            lha::list(m_archive, members);
            for (const auto &member : members)
                m_members.emplace(member.name, factsOfMember(member));
        }
        const auto found = m_members.find(name);
        return found != m_members.end() ? found->second : FileFacts{};
    }

private:
    std::filesystem::path m_archive;
    bool m_read = false;
    std::map<std::string, FileFacts> m_members;
};

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

} // namespace

QtSession::QtSession(QWidget *owner, Engine engine) : m_owner(owner), m_engine(std::move(engine)) {}

lha::Result QtSession::extract(const lha::Command &command) {
    ProgressWindow window(m_owner, QFile::decodeName(command.archive.filename().c_str()));
    std::atomic<bool> cancel{false};
    QObject::connect(&window, &ProgressWindow::cancelRequested, [&cancel] { cancel = true; });

    // Used only by the worker.
    MemberFacts members(command.archive);
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
    // The engine itself stops asking after "all" answers.
    options.overwrite = [&window, &cancel, &members, &command](const std::string &name) {
        const auto decision = askOnUserInterface(
            window, name, factsOnDisk(command.destination / name), members.of(name));
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
