// A folder on a slow medium, through the real window on a real X server: while it is read the
// window still answers the system (an expose, the sign of life), holds the user's input and
// delivers it afterwards in order, and Escape stops the read with no box, both lists showing the
// folder empty; the commands then still act on the folder shown.

#include "platform/controls/dirlistbox.h"
#include "platform/controls/drivelistbox.h"
#include "platform/controls/filelistbox.h"
#include "window/quervelle.h"

#include "support/dialogscript.h"
#include "support/fsfixture.h"
#include "support/slowfolders.h"
#include "support/xvfb.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

using namespace quervelle;
using namespace std::chrono_literals;

namespace {

// Long names, so that few files fill some seven system reads of 32 KiB: about a second at the
// delay below.
constexpr int BigFolderFiles = 900;
constexpr auto SlowRead = 150ms;

std::string bigName(int i) {
    char number[16];
    std::snprintf(number, sizeof number, "%05d", i);
    return "fichier-" + std::string(number) + "-" + std::string(180, 'x') + ".txt";
}

// The window on a middle drive (the folder made for the test), its lists at that folder, which
// holds "big" (many files) and "small".
class SlowWindow {
public:
    SlowWindow() {
        root = test::fsPath(dir);
        big = test::fsJoin(root, "big");
        ok = test::fsMakeDir(big) && test::fsMakeDir(test::fsJoin(root, "small"));
        for (int i = 0; ok && i < BigFolderFiles; ++i)
            ok = test::fsWriteFile(test::fsJoin(big, bigName(i)), "");
        auto script = std::make_unique<test::DialogScript>();
        dialogs = script.get();
        window = std::make_unique<Quervelle>(std::move(script));
        drive1 = window->findChild<DriveListBox *>(QStringLiteral("Drive1"));
        dir1 = window->findChild<DirListBox *>(QStringLiteral("Dir1"));
        file1 = window->findChild<FileListBox *>(QStringLiteral("File1"));
        text1 = window->findChild<QLineEdit *>(QStringLiteral("Text1"));
        const std::string last = root + "-last-drive";
        drive1->setDrives({Drive{"/", {}}, Drive{root, {}}, Drive{last, {}}});
        drive1->selectDriveFor("/");
        dir1->setDriveRoots({"/", root, last});
        window->show();
        window->activateWindow();
    }
    ~SlowWindow() { test::setFolderReadDelay(0ms); }

    QWindow *handle() const { return window->windowHandle(); }
    QPushButton *button(const char *name) const {
        return window->findChild<QPushButton *>(QLatin1String(name));
    }
    // The lists at big, read at full speed.
    void openBigQuickly() {
        test::setFolderReadDelay(0ms);
        dir1->setPath(big);
    }

    QTemporaryDir dir;
    std::string root, big;
    bool ok = false;
    test::DialogScript *dialogs = nullptr;
    std::unique_ptr<Quervelle> window;
    DriveListBox *drive1 = nullptr;
    DirListBox *dir1 = nullptr;
    FileListBox *file1 = nullptr;
    QLineEdit *text1 = nullptr;
};

// Runs what at that time after now, inside the read the test is about to start.
void during(const SlowWindow &w, std::chrono::milliseconds at, std::function<void()> what) {
    QTimer::singleShot(at, w.window.get(), std::move(what));
}

// Records when the window was exposed and when the sign of life was painted.
class PaintWatch final : public QObject {
public:
    explicit PaintWatch(QWindow *window) : m_window(window) {
        m_clock.start();
        qApp->installEventFilter(this);
    }
    ~PaintWatch() override { qApp->removeEventFilter(this); }
    qint64 now() const { return m_clock.elapsed(); }
    qint64 lastExpose = -1;
    qint64 lastNoticePaint = -1;

protected:
    bool eventFilter(QObject *target, QEvent *event) override {
        if (event->type() == QEvent::Expose && target == m_window)
            lastExpose = now();
        if (event->type() == QEvent::Paint &&
            target->objectName() == QLatin1String("readingNotice"))
            lastNoticePaint = now();
        return false;
    }

private:
    QWindow *m_window;
    QElapsedTimer m_clock;
};

} // namespace

class TestSlowFolders : public QObject {
    Q_OBJECT

private slots:
    void escapeStopsTheRead_data();
    void escapeStopsTheRead();
    void windowLivesDuringTheRead();
    void inputTypedDuringTheReadComesAfterInOrder();
};

void TestSlowFolders::escapeStopsTheRead_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("boxes"); // the boxes the action asks before its read
    QTest::newRow("opening a folder with Enter") << "open" << 0;
    QTest::newRow("OK with a pattern") << "ok" << 0;
    QTest::newRow("the refresh after Kill") << "kill" << 1;
}

void TestSlowFolders::escapeStopsTheRead() {
    QFETCH(QString, action);
    QFETCH(int, boxes);
    SlowWindow w;
    QVERIFY(w.ok);
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    w.drive1->setFocus();
    QTest::keyClick(w.drive1, Qt::Key_Down); // the middle drive: both lists at the test folder
    QCOMPARE(w.file1->path(), w.root);
    const std::string killed = test::fsJoin(w.big, bigName(7));

    if (action == "open") {
        // Dir1's rows: the root, then "big" and "small".
        w.dir1->setFocus();
        w.dir1->setCurrentIndex(w.dir1->model()->index(1, 0));
    } else {
        w.openBigQuickly();
        QCOMPARE(w.file1->listCount(), BigFolderFiles);
        if (action == "ok") {
            w.text1->setText(QStringLiteral("txt"));
        } else {
            w.file1->setFileName(bigName(7));
            w.dialogs->answer(1); // "Effacer le fichier ?": OK
        }
    }
    test::setFolderReadDelay(SlowRead);
    QElapsedTimer clock;
    clock.start();
    during(w, 400ms, [&w] { QTest::keyClick(w.handle(), Qt::Key_Escape); });
    if (action == "open")
        QTest::keyClick(w.handle(), Qt::Key_Return);
    else
        QTest::mouseClick(w.button(action == "ok" ? "Command2" : "Command3"), Qt::LeftButton);
    const qint64 took = clock.elapsed();

    // Stopped as it was asked, well before the read's end.
    QVERIFY2(took < 800, qPrintable(QString::number(took)));
    QVERIFY(test::slowedFolderReads() < 7);
    // Both lists took the folder and show it empty; no box came for the stop.
    QCOMPARE(w.dir1->path(), w.big);
    QCOMPARE(w.file1->path(), w.big);
    QCOMPARE(w.file1->listCount(), 0);
    QCOMPARE(w.dir1->model()->rowCount(), 2); // the root and "big", no sub-folder
    QCOMPARE(int(w.dialogs->shown().size()), boxes);
    if (action == "kill")
        QVERIFY(!test::fsExists(killed)); // the command itself was done before its refresh

    // A later "OK" reads the folder again, and the commands act on the folder shown.
    test::setFolderReadDelay(0ms);
    w.text1->setText(QStringLiteral("*"));
    QTest::mouseClick(w.button("Command2"), Qt::LeftButton);
    QCOMPARE(w.file1->listCount(), BigFolderFiles - (action == "kill" ? 1 : 0));
    w.dialogs->answerText("neuf");
    QTest::mouseClick(w.button("Command4"), Qt::LeftButton);
    QVERIFY(test::fsExists(test::fsJoin(w.big, "neuf")));
    QCOMPARE(w.dir1->path(), w.big);
    QCOMPARE(int(w.dialogs->shown().size()), boxes + 1); // the folder name asked, nothing else
}

void TestSlowFolders::windowLivesDuringTheRead() {
    SlowWindow w;
    QVERIFY(w.ok);
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    w.openBigQuickly();
    w.text1->setText(QStringLiteral("txt"));

    // A window shown over the list and taken away again: the list's part must be drawn again.
    QWidget cover;
    cover.setWindowFlag(Qt::FramelessWindowHint);
    const QRect list = w.file1->rect().translated(w.file1->mapToGlobal(QPoint(0, 0)));
    cover.setGeometry(list);
    PaintWatch watch(w.handle());
    bool busyCursor = false;
    QString notice;
    during(w, 150ms, [&cover] { cover.show(); });
    qint64 uncovered = -1;
    during(w, 300ms, [&] {
        cover.hide();
        uncovered = watch.now();
    });
    during(w, 600ms, [&] {
        busyCursor = QGuiApplication::overrideCursor() &&
                     QGuiApplication::overrideCursor()->shape() == Qt::BusyCursor;
        const auto *label = w.file1->findChild<QLabel *>(QStringLiteral("readingNotice"));
        if (label && label->isVisible())
            notice = label->text();
    });
    test::setFolderReadDelay(SlowRead);
    const qint64 start = watch.now();
    QTest::mouseClick(w.button("Command2"), Qt::LeftButton);
    const qint64 end = watch.now();

    QVERIFY2(end - start >= 600, qPrintable(QString::number(end - start))); // really slow
    QVERIFY(uncovered > start);
    QVERIFY2(watch.lastExpose >= uncovered && watch.lastExpose < end,
             qPrintable(QStringLiteral("%1 %2 %3").arg(uncovered).arg(watch.lastExpose).arg(end)));
    QVERIFY(busyCursor);
    QVERIFY2(notice.contains(QStringLiteral("noms lus")), qPrintable(notice));
    QVERIFY(watch.lastNoticePaint > start && watch.lastNoticePaint < end);
    // Over: every name shown, the cursor and the notice gone, no box.
    QCOMPARE(w.file1->listCount(), BigFolderFiles);
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!w.file1->findChild<QLabel *>(QStringLiteral("readingNotice")));
    QCOMPARE(int(w.dialogs->shown().size()), 0);
}

void TestSlowFolders::inputTypedDuringTheReadComesAfterInOrder() {
    SlowWindow w;
    QVERIFY(w.ok);
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    w.openBigQuickly();
    w.text1->setText(QStringLiteral("txt"));
    w.text1->setFocus();
    QString duringRead;
    during(w, 300ms, [&] {
        QTest::keyClick(w.handle(), Qt::Key_A);
        QTest::keyClick(w.handle(), Qt::Key_B);
        QTest::keyClick(w.handle(), Qt::Key_Backspace);
        QTest::keyClick(w.handle(), Qt::Key_C);
        duringRead = w.text1->text();
    });
    test::setFolderReadDelay(SlowRead);
    QTest::keyClick(w.handle(), Qt::Key_Return); // Enter in the box presses OK: the slow read
    QCOMPARE(w.file1->listCount(), BigFolderFiles);
    QCOMPARE(duringRead, QStringLiteral("txt"));            // held while the handler ran
    QTRY_COMPARE(w.text1->text(), QStringLiteral("txtac")); // then delivered, in order
    QCOMPARE(int(w.dialogs->shown().size()), 0);
}

int main(int argc, char *argv[]) {
    if (!quervelle::test::startXvfbForThisProcess())
        return 1;
    QApplication app(argc, argv);
    TestSlowFolders test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_slowfolders.moc"
