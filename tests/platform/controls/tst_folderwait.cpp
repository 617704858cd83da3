// Waiting for a worker: a short task is waited for as before, with no event processed; a long
// one lets the window's thread go on (timers, painting) while the user's input is held and then
// delivered in order; Escape stops it, and the rest of the same action with it.

#include "platform/controls/folderwait.h"
#include "platform/files/errors.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace quervelle;
using namespace std::chrono_literals;

namespace {

// Sleeps for its time in small steps, counting them as entries read, and gives up when stopped.
class SleepTask final : public WorkerTask {
public:
    explicit SleepTask(std::chrono::milliseconds time) : m_time(time) {}
    void run(const std::atomic<bool> &stop, std::atomic<std::size_t> &seen) override {
        ran = true;
        for (auto slept = 0ms; slept < m_time; slept += 5ms) {
            if (stop)
                throw ReadStopped();
            std::this_thread::sleep_for(5ms);
            seen += 1000;
        }
        finished = true;
    }
    std::atomic<bool> ran{false};
    std::atomic<bool> finished{false};

private:
    std::chrono::milliseconds m_time;
};

// A small window: a list to wait in and a text box with the focus.
struct Window {
    Window() {
        auto *layout = new QVBoxLayout(&widget);
        layout->addWidget(list = new QListView);
        layout->addWidget(edit = new QLineEdit);
        widget.show();
        edit->setFocus();
    }
    QWidget widget;
    QListView *list = nullptr;
    QLineEdit *edit = nullptr;
};

} // namespace

class TestFolderWait : public QObject {
    Q_OBJECT

private slots:
    void waits_data();
    void waits();
    void inputHeldThenDeliveredInOrder();
    void stopHoldsForTheRestOfTheAction();
};

void TestFolderWait::waits_data() {
    QTest::addColumn<int>("taskMs");
    QTest::addColumn<int>("escapeAtMs"); // -1: never
    QTest::addColumn<bool>("eventsDuring");
    QTest::addColumn<bool>("stopped");
    QTest::newRow("a short read processes no event") << 0 << -1 << false << false;
    QTest::newRow("a long read goes on living") << 500 << -1 << true << false;
    QTest::newRow("Escape stops a long read") << 5000 << 200 << true << true;
}

void TestFolderWait::waits() {
    QFETCH(int, taskMs);
    QFETCH(int, escapeAtMs);
    QFETCH(bool, eventsDuring);
    QFETCH(bool, stopped);
    Window window;
    QVERIFY(QTest::qWaitForWindowExposed(&window.widget));
    bool timerFired = false;
    bool busyCursor = false;
    QTimer::singleShot(0, &window.widget, [&] { timerFired = true; });
    QString notice;
    QTimer::singleShot(400, &window.widget, [&] {
        busyCursor = QGuiApplication::overrideCursor() &&
                     QGuiApplication::overrideCursor()->shape() == Qt::BusyCursor;
        if (const auto *label = window.list->findChild<QLabel *>(QStringLiteral("readingNotice")))
            notice = label->text();
    });
    if (escapeAtMs >= 0)
        QTimer::singleShot(escapeAtMs, &window.widget,
                           [&] { QTest::keyClick(window.edit, Qt::Key_Escape); });
    const auto task = std::make_shared<SleepTask>(std::chrono::milliseconds(taskMs));
    QElapsedTimer clock;
    clock.start();
    bool threw = false;
    try {
        waitForWorker(window.list, task);
    } catch (const ReadStopped &) {
        threw = true;
    }
    QCOMPARE(threw, stopped);
    QCOMPARE(timerFired, eventsDuring);
    QCOMPARE(bool(task->finished), !stopped);
    if (stopped)
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(busyCursor, taskMs >= 500 && !stopped); // the sign of life, past 300 ms only
    // The count in the notice is written as the rest of it, in French, whatever the system's
    // language: some tens of thousands by now, their thousands set apart by a space.
    if (busyCursor)
        QVERIFY2(
            QRegularExpression(QStringLiteral("^Lecture du dossier…\\n[1-9][0-9]?\\x{202F}[0-9]{3} "
                                              "noms lus\\n\\(Échap pour arrêter\\)$"))
                .match(notice)
                .hasMatch(),
            qPrintable(notice));
    QVERIFY(!QGuiApplication::overrideCursor());
    QTest::qWait(20); // the timers left fire now
}

void TestFolderWait::inputHeldThenDeliveredInOrder() {
    Window window;
    QVERIFY(QTest::qWaitForWindowExposed(&window.widget));
    QString duringWait;
    QTimer::singleShot(100, &window.widget, [&] {
        QTest::keyClicks(window.edit, QStringLiteral("ab"));
        QTest::keyClick(window.edit, Qt::Key_Backspace);
        QTest::keyClicks(window.edit, QStringLiteral("c"));
        duringWait = window.edit->text();
    });
    waitForWorker(window.list, std::make_shared<SleepTask>(400ms));
    QCOMPARE(duringWait, QString()); // held
    QTRY_COMPARE(window.edit->text(), QStringLiteral("ac"));
}

void TestFolderWait::stopHoldsForTheRestOfTheAction() {
    Window window;
    QVERIFY(QTest::qWaitForWindowExposed(&window.widget));
    const auto second = std::make_shared<SleepTask>(0ms);
    {
        const ActionScope action;
        QTimer::singleShot(100, &window.widget,
                           [&] { QTest::keyClick(window.edit, Qt::Key_Escape); });
        QVERIFY_THROWS_EXCEPTION(ReadStopped,
                                 waitForWorker(window.list, std::make_shared<SleepTask>(5000ms)));
        QVERIFY_THROWS_EXCEPTION(ReadStopped, waitForWorker(window.list, second));
        QVERIFY(!second->ran); // stopped without reading
    }
    waitForWorker(window.list, second); // a later action reads again
    QVERIFY(second->finished);
}

QTEST_MAIN(TestFolderWait)
#include "tst_folderwait.moc"
