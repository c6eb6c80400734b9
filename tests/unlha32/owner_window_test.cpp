// With an owner window: a progress window modal to it, the overwrite
// question, Cancel, and an event loop that keeps serving the windows.
#include "fixtures.h"
#include "outcome.h"
#include "overwrite_question.h"
#include "progress_window.h"
#include "qt_session.h"
#include "run.h"
#include "unlha32.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace {

using namespace fixtures;
using namespace std::chrono_literals;

const fs::path kLh5 = dataDir() / "archives/method-lh5.lzh";

class OwnerWindow : public ::testing::Test {
protected:
    void SetUp() override {
        m_owner.resize(300, 200);
        m_owner.show();
        m_hwnd = static_cast<uint32_t>(m_owner.winId());
    }

    // Calls visit with each visible top-level T, every few milliseconds,
    // while the library's own event loop runs.
    template <class T> void whenShown(std::function<void(T &)> visit) {
        auto *timer = new QTimer(&m_owner);
        QObject::connect(timer, &QTimer::timeout, [visit] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *t = qobject_cast<T *>(w); t != nullptr && t->isVisible())
                    visit(*t);
        });
        timer->start(5);
    }

    static void click(QWidget &window, const char *button) {
        window.findChild<QPushButton *>(QString::fromLatin1(button))->click();
    }

    QWidget m_owner;
    uint32_t m_hwnd = 0;
};

TEST_F(OwnerWindow, OnlyAWidgetOfThisProgramOnItsThreadGetsWindows) {
    EXPECT_NE(dynamic_cast<unlha32::QtSession *>(unlha32::sessionFor(m_hwnd).get()), nullptr);
    EXPECT_NE(dynamic_cast<unlha32::SilentSession *>(unlha32::sessionFor(0).get()), nullptr);
    std::unique_ptr<unlha32::Session> fromWorker;
    std::thread([&] { fromWorker = unlha32::sessionFor(m_hwnd); }).join();
    EXPECT_NE(dynamic_cast<unlha32::SilentSession *>(fromWorker.get()), nullptr);
}

TEST_F(OwnerWindow, ProgressWindowIsModalToTheOwnerWhileWindowsKeepWorking) {
    std::atomic<int> ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(1);
    bool modalToOwner = false;
    whenShown<unlha32::ProgressWindow>([&](unlha32::ProgressWindow &window) {
        modalToOwner = window.parentWidget() == &m_owner &&
                       window.windowModality() == Qt::WindowModal &&
                       window.windowTitle() == QStringLiteral("Ｈ．Ｋ");
    });

    // The engine starts only after the user-interface thread has served a
    // good number of timer ticks while the call is under way.
    auto engine = [&ticks](const fs::path &archive, const fs::path &destination,
                           const lha::Options &options) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (ticks < 20 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        return lha::extract(archive, destination, options);
    };
    ScratchDir out;
    unlha32::QtSession session(&m_owner, engine);
    const auto outcome = unlha32::run(extractCommand(kLh5, out.path()), session);
    EXPECT_GE(ticks, 20);
    EXPECT_EQ(outcome.code, UNLHA_OK) << outcome.report;
    EXPECT_TRUE(modalToOwner);
    EXPECT_EQ(readFile(out / "large.bin"), readFile(dataDir() / "files/large.bin"));
}

TEST_F(OwnerWindow, CancelStopsAndLeavesNoPartialFile) {
    // A member of several of the engine's chunks.
    ScratchDir dir;
    std::string big(3 << 20, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 2654435761u) >> 13);
    writeFile(dir / "big.lzh", storedArchive("big.bin", big));
    fs::create_directory(dir / "out");

    // The engine's first progress report with part of big.bin on disk waits
    // until Cancel has been pressed in the progress window.
    std::atomic<bool> partialOnDisk = false;
    auto engine = [&](const fs::path &archive, const fs::path &destination,
                      const lha::Options &options) {
        auto held = options;
        held.progress = [&](const lha::Progress &p) {
            options.progress(p);
            if (partialOnDisk || p.done >= p.total || !fs::exists(destination / "big.bin"))
                return;
            partialOnDisk = true;
            const auto deadline = std::chrono::steady_clock::now() + 10s;
            while (!*options.cancel && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(1ms);
        };
        return lha::extract(archive, destination, held);
    };
    bool clicked = false;
    whenShown<unlha32::ProgressWindow>([&](unlha32::ProgressWindow &window) {
        if (!clicked && partialOnDisk) {
            clicked = true;
            click(window, "cancel");
        }
    });
    unlha32::QtSession session(&m_owner, engine);
    const auto outcome = unlha32::run(extractCommand(dir / "big.lzh", dir / "out"), session);
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(partialOnDisk) << "the cancel did not land inside the member";
    EXPECT_EQ(outcome.code, UNLHA_ERROR_CANCELLED) << outcome.report;
    EXPECT_TRUE(fs::is_empty(dir / "out"));

    // Left alone, the same archive comes out whole.
    unlha32::SilentSession silent;
    EXPECT_EQ(unlha32::run(extractCommand(dir / "big.lzh", dir / "out"), silent).code, UNLHA_OK);
    EXPECT_EQ(readFile(dir / "out/big.bin"), big);
}

TEST_F(OwnerWindow, OverwriteQuestionAnswers) {
    struct Case {
        std::vector<const char *> answers;
        int code;
        const char *textTxt; // what text.txt holds afterwards; null: the source
        const char *tinyTxt;
    };
    // The archive holds text.txt, large.bin, tiny.txt, empty.txt in this order.
    const Case cases[] = {
        {{"skip", "replace"}, UNLHA_OK, "old text", nullptr},
        {{"replaceAll"}, UNLHA_OK, nullptr, nullptr},
        {{"cancel"}, UNLHA_ERROR_CANCELLED, "old text", "old tiny"},
    };
    for (const auto &c : cases) {
        ScratchDir out;
        writeFile(out / "text.txt", "old text");
        writeFile(out / "tiny.txt", "old tiny");
        std::vector<QString> asked;
        std::size_t next = 0;
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *question = qobject_cast<unlha32::OverwriteQuestion *>(w);
                if (question == nullptr || !question->isVisible())
                    continue;
                asked.push_back(question->text());
                click(*question, next < c.answers.size() ? c.answers[next++] : "cancel");
            }
        });
        answerer.start(5);

        // Through the C entry, as the program calls it.
        const auto call = unlha(extractCommand(kLh5, out.path()), m_hwnd);
        EXPECT_EQ(call.code, c.code) << call.report;
        EXPECT_EQ(asked.size(), c.answers.size());
        ASSERT_FALSE(asked.empty());
        EXPECT_TRUE(asked.front().contains(QStringLiteral("text.txt")))
            << asked.front().toStdString();
        EXPECT_EQ(readFile(out / "text.txt"),
                  c.textTxt ? c.textTxt : readFile(dataDir() / "files/text.txt"));
        EXPECT_EQ(readFile(out / "tiny.txt"),
                  c.tinyTxt ? c.tinyTxt : readFile(dataDir() / "files/tiny.txt"));
    }
}

} // namespace
