// SPDX-License-Identifier: MIT
// With an owner window: a progress window modal to it, Cancel, the
// overwrite question and the report window. The tests answer from timers,
// which fire only while the library's event loop keeps the user-interface
// thread serving windows.
#include "fixtures.h"
#include "overwrite_question.h"
#include "progress_window.h"
#include "qt_session.h"
#include "report_window.h"
#include "run.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <thread>

namespace {

using namespace fixtures;
using namespace std::chrono_literals;

class OwnerWindow : public ::testing::Test {
protected:
    void SetUp() override { m_owner.show(); }

    // Calls visit with each visible window of kind T every few milliseconds,
    // which happens only while the library's own event loop runs.
    template <class T> void whenShown(std::function<void(T &)> visit) {
        auto *timer = new QTimer(&m_owner);
        QObject::connect(timer, &QTimer::timeout, [visit] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *t = qobject_cast<T *>(w); t && t->isVisible())
                    visit(*t);
        });
        timer->start(5);
    }

    static void click(QWidget &window, const char *button) {
        window.findChild<QPushButton *>(QString::fromLatin1(button))->click();
    }

    QWidget m_owner;
};

TEST_F(OwnerWindow, CancelLeavesNoPartialFile) {
    TempDir dir;
    const std::string big(3 << 20, 'x'); // several of the engine's write chunks
    writeFile(dir / "big.lzh", storedArchive("big.bin", big));
    fs::create_directory(dir / "out");

    // The first progress report with part of big.bin written waits for
    // Cancel.
    std::atomic<bool> partWritten = false;
    unlha::QtSession session(&m_owner, [&](const fs::path &archive, const fs::path &destination,
                                           const lha::ExtractOptions &options) {
        auto held = options;
        held.progress = [&](const lha::Progress &p) {
            options.progress(p);
            if (!partWritten && p.done > 0 && p.done < p.total) {
                partWritten = true;
                // Waits on the worker thread, at most ten seconds.
                for (auto until = std::chrono::steady_clock::now() + 10s;
                     !options.cancel->load() && std::chrono::steady_clock::now() < until;)
                    std::this_thread::sleep_for(1ms);
            }
        };
        return lha::extract(archive, destination, held);
    });
    whenShown<unlha::ProgressWindow>([&](unlha::ProgressWindow &w) {
        if (partWritten)
            click(w, "cancel");
    });
    int reports = 0;
    whenShown<unlha::ReportWindow>([&](unlha::ReportWindow &w) {
        ++reports;
        w.reject();
    });
    const auto outcome = unlha::run(extractCommand(dir / "big.lzh", dir / "out"), session);
    EXPECT_TRUE(partWritten) << "the cancel did not land inside the member";
    EXPECT_EQ(outcome.code, UNLHA_ERROR_CANCELLED) << outcome.report;
    EXPECT_TRUE(fs::is_empty(dir / "out"));
    EXPECT_EQ(reports, 0) << "the user's own cancel is no failure to report";
    EXPECT_EQ(callUnlha(extractCommand(dir / "big.lzh", dir / "out")).code, UNLHA_OK);
    EXPECT_EQ(readFile(dir / "out/big.bin"), big);
}

// Reports come faster than a person reads them; the window shows them at
// most ten times a second, and the latest one always reaches it.
TEST_F(OwnerWindow, ProgressIsShownAtAReadablePaceEndingWithTheLatest) {
    TempDir dir;
    std::chrono::steady_clock::duration reporting{};
    unlha::QtSession session(
        &m_owner, [&](const fs::path &, const fs::path &, const lha::ExtractOptions &options) {
            const auto start = std::chrono::steady_clock::now();
            constexpr uint64_t kReports = 300;
            for (uint64_t i = 0; i < kReports; ++i) {
                options.progress({"member" + std::to_string(i), i, kReports + 1});
                std::this_thread::sleep_for(1ms);
            }
            options.progress({"last", kReports, kReports + 1});
            reporting = std::chrono::steady_clock::now() - start;
            std::this_thread::sleep_for(400ms);
            return lha::Result{};
        });
    std::set<QString> shown;
    whenShown<unlha::ProgressWindow>([&](unlha::ProgressWindow &w) {
        shown.insert(w.findChild<QLabel *>(QStringLiteral("member"))->toolTip());
    });
    const auto outcome = unlha::run(extractCommand(dir / "any.lzh", dir.path()), session);
    EXPECT_EQ(outcome.code, UNLHA_OK) << outcome.report;
    EXPECT_TRUE(shown.count(QStringLiteral("last")));
    // One showing a tenth of a second, give or take the first and the last;
    // the observer, every 5 ms, would see some sixty names without the pace.
    EXPECT_LE(shown.size(), static_cast<std::size_t>(reporting / 100ms) + 4) << shown.size();
}

TEST_F(OwnerWindow, OverwriteQuestionAnswers) {
    // The archive holds text.txt, large.bin, tiny.txt, empty.txt in this order;
    // text.txt and tiny.txt exist. "new" means replaced by the archive's file.
    const struct {
        std::vector<const char *> answers;
        int code;
        std::string text, tiny;
    } cases[] = {
        {{"skip", "replace"}, UNLHA_OK, "old", "new"},
        {{"replaceAll"}, UNLHA_OK, "new", "new"},
        {{"skipAll"}, UNLHA_OK, "old", "old"},
        {{"cancel"}, UNLHA_ERROR_CANCELLED, "old", "old"},
    };
    for (const auto &c : cases) {
        TempDir out;
        writeFile(out / "text.txt", "old");
        writeFile(out / "tiny.txt", "old");
        std::size_t asked = 0;
        bool modalToOwner = false;
        whenShown<unlha::ProgressWindow>([&](unlha::ProgressWindow &w) {
            modalToOwner = w.parentWidget() == &m_owner && w.windowModality() == Qt::WindowModal;
        });
        int reports = 0;
        whenShown<unlha::ReportWindow>([&](unlha::ReportWindow &w) {
            ++reports;
            w.reject();
        });
        whenShown<unlha::OverwriteQuestion>([&](unlha::OverwriteQuestion &q) {
            EXPECT_TRUE(q.text().contains(asked == 0 ? "text.txt" : "tiny.txt"));
            // The member's size, from the archive, beside the existing file's.
            EXPECT_TRUE(
                q.text().contains(QString::fromUtf8(asked == 0 ? "：16,384 バイト" : "：6 バイト")))
                << q.text().toStdString();
            click(q, asked < c.answers.size() ? c.answers[asked] : "cancel");
            ++asked;
        });
        // Through the C entry, as the program calls it.
        const auto call =
            callUnlha(extractCommand(kLh5, out.path()), static_cast<uint32_t>(m_owner.winId()));
        EXPECT_EQ(call.code, c.code) << call.report;
        EXPECT_EQ(asked, c.answers.size());
        EXPECT_TRUE(modalToOwner);
        EXPECT_EQ(reports, 0);
        const auto source = [](const char *name) { return readFile(kData / "files" / name); };
        EXPECT_EQ(readFile(out / "text.txt"), c.text == "new" ? source("text.txt") : c.text);
        EXPECT_EQ(readFile(out / "tiny.txt"), c.tiny == "new" ? source("tiny.txt") : c.tiny);
        qDeleteAll(m_owner.findChildren<QTimer *>());
    }
}

// A long path is cut in the middle and the question stays on the screen
// with all its buttons; the whole path is the tooltip.
TEST_F(OwnerWindow, OverwriteQuestionFitsTheScreen) {
    const unlha::FileFacts facts{1234, QDateTime::currentDateTime()};
    const QRect screen = m_owner.screen()->availableGeometry();
    for (const int length : {110, 200, 1000}) {
        const QString path = QStringLiteral("docs/") + QString(length, QChar(u'長')) +
                             QStringLiteral("/最後のファイル.txt");
        unlha::OverwriteQuestion question(&m_owner, path, facts, facts);
        question.show();
        EXPECT_TRUE(screen.contains(question.frameGeometry())) << length;
        EXPECT_LE(question.width(), 680) << length;
        const QString shown = question.text().section(QChar(u'\n'), 0, 0);
        EXPECT_TRUE(shown.startsWith(QStringLiteral("「docs/長"))) << length;
        EXPECT_TRUE(shown.contains(QChar(u'…'))) << length;
        EXPECT_TRUE(shown.endsWith(QStringLiteral("最後のファイル.txt」は既にあります。")))
            << length;
        EXPECT_EQ(question.findChild<QLabel *>(QStringLiteral("text"))->toolTip(), path);
        for (QPushButton *button : question.findChildren<QPushButton *>())
            EXPECT_TRUE(question.rect().contains(button->geometry())) << length;
        question.reject();
    }
}

// A damaged archive: the report window lists every member that failed and
// closes with Enter or Escape, before Unlha returns; the good members are
// extracted all the same. Without an owner window nothing is shown.
TEST_F(OwnerWindow, FailuresAreShownBeforeUnlhaReturns) {
    const std::string longName = "docs/" + std::string(240, 'n') + "/end.txt";
    std::vector<Member> members{Member{"a.txt", "first"}};
    for (int i = 0; i < 30; ++i) {
        Member damaged(i == 1 ? longName : "docs/b" + std::to_string(i) + ".txt", "damaged");
        damaged.crc = 0x1234;
        members.push_back(damaged);
    }
    members.emplace_back("c.txt", "last");
    TempDir dir;
    writeFile(dir / "a.lzh", buildArchive(members));
    const struct {
        bool owner;
        int key;
        bool onList; // where the focus is when the key is pressed
    } cases[] = {{true, Qt::Key_Return, true},
                 {true, Qt::Key_Escape, false},
                 {true, Qt::Key_Enter, false},
                 {false, 0, false}};
    for (const auto &c : cases) {
        TempDir out;
        int shown = 0;
        whenShown<unlha::ReportWindow>([&](unlha::ReportWindow &w) {
            if (++shown > 1)
                return;
            EXPECT_EQ(w.windowTitle(), QStringLiteral("解凍できなかったファイル"));
            EXPECT_EQ(w.summary(),
                      QStringLiteral("30 個のファイルを解凍できませんでした。\n"
                                     "解凍元ファイルと解凍先フォルダを確認してください。"));
            const auto rows = w.rows();
            EXPECT_EQ(rows.size(), 30);
            for (const auto &row : rows)
                EXPECT_EQ(row.cause, QStringLiteral("解凍元ファイルが壊れています。"));
            EXPECT_EQ(rows.value(0).name, QStringLiteral("docs/b0.txt"));
            EXPECT_EQ(rows.value(1).name, QString::fromStdString(longName));
            auto *list = w.findChild<QTreeWidget *>();
            EXPECT_EQ(list->textElideMode(), Qt::ElideMiddle);
            EXPECT_EQ(list->topLevelItem(1)->toolTip(0), QString::fromStdString(longName));
            // The long name and the long list fit the window, which scrolls.
            EXPECT_LE(w.width(), 600);
            EXPECT_LT(w.height(), 480);
            EXPECT_TRUE(list->verticalScrollBar()->isVisible());
            // Transient for the progress window's owner, modal to it.
            EXPECT_EQ(w.parentWidget(), &m_owner);
            EXPECT_EQ(w.windowModality(), Qt::WindowModal);
            QWidget *focus = c.onList ? static_cast<QWidget *>(list)
                                      : w.findChild<QPushButton *>(QStringLiteral("close"));
            focus->setFocus();
            QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier);
            QCoreApplication::sendEvent(focus, &press);
            EXPECT_FALSE(w.isVisible()) << "key " << c.key;
            if (w.isVisible())
                w.reject();
        });
        const auto call = callUnlha(extractCommand(dir / "a.lzh", out.path()),
                                    c.owner ? static_cast<uint32_t>(m_owner.winId()) : 0);
        EXPECT_EQ(call.code, UNLHA_ERROR_DAMAGED) << call.report;
        EXPECT_NE(call.report.find("failed  docs/b0.txt"), std::string::npos) << call.report;
        EXPECT_EQ(shown, c.owner ? 1 : 0);
        EXPECT_EQ(readFile(out / "a.txt"), "first");
        EXPECT_EQ(readFile(out / "c.txt"), "last");
        qDeleteAll(m_owner.findChildren<QTimer *>());
    }
}

} // namespace
