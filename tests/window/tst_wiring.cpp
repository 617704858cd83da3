// The event wiring of the real window: each handled event, raised the way a user raises it,
// runs its handler and no other; unhandled events run none; an error that ends a handler is
// shown and the program goes on; no handler runs at start.

#include "platform/controls/dirlistbox.h"
#include "platform/controls/drivelistbox.h"
#include "platform/controls/filelistbox.h"
#include "platform/files/errors.h"
#include "window/quervelle.h"
#include "window/wiring.h"

#include "support/dialogscript.h"
#include "support/fsfixture.h"
#include "support/handlerprobe.h"
#include "support/listfixtures.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <new>
#include <sys/inotify.h>
#include <unistd.h>

using namespace quervelle;

namespace {

enum class Action {
    ClickButton, // the control named is a button
    EnterInPattern,
    ClickFileName,
    LeaveFileList,
    OpenFolderInDir1,
    ChooseOtherDrive,
    DoubleClickFileName, // the second half of a double click, after its first click
    TypeInPattern,
    TypeInDateBox,
    ClickFolderInDir1,
    ClickLabel,
    ClickBackground,
};

enum class Failure { None, PlatformNotFound, Overflow, StdException, OutOfMemory, Unknown };

// Counts the times a folder itself is opened, from the kernel's notifications. The closes are
// watched too: two opens in a row would otherwise be merged into one notification.
class FolderOpens {
public:
    explicit FolderOpens(const std::string &folder) : m_fd(::inotify_init1(IN_NONBLOCK)) {
        m_watching = ::inotify_add_watch(m_fd, folder.c_str(), IN_OPEN | IN_CLOSE_NOWRITE) >= 0;
    }
    ~FolderOpens() { ::close(m_fd); }
    Q_DISABLE_COPY(FolderOpens)
    bool watching() const { return m_watching; }
    int take() { // the opens since the last call; the entries opened inside do not count
        int opens = 0;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                opens += event->len == 0 && (event->mask & IN_OPEN) ? 1 : 0;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return opens;
    }

private:
    int m_fd;
    bool m_watching = false;
};

} // namespace

Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(Failure)

class TestWiring : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void event_data();
    void event();
    void enterAppliesPattern();
    void handlerErrorIsShownAndProgramGoesOn();
    void boundary_data();
    void boundary();
    void startUp_data();
    void startUp();

private:
    template <typename T> T *child(const char *name) const {
        T *w = m_window->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QStringList handlersOf(const std::function<void()> &action);
    QModelIndex rowNamed(QAbstractItemView *view, const QString &text) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::string m_root;
    test::DialogScript *m_dialogs = nullptr;
    std::unique_ptr<Quervelle> m_window;
};

void TestWiring::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_root = test::fsPath(*m_dir);
    QVERIFY(test::fsWriteFile(test::fsJoin(m_root, "a.txt"), "alpha"));
    QVERIFY(test::fsWriteFile(test::fsJoin(m_root, "b.bmp"), "BM"));
    QVERIFY(test::fsMakeDir(test::fsJoin(m_root, "sub")));
    QVERIFY(test::fsWriteFile(test::fsJoin(m_root, "sub/c.txt"), "gamma"));

    auto dialogs = std::make_unique<test::DialogScript>();
    m_dialogs = dialogs.get();
    m_window = std::make_unique<Quervelle>(std::move(dialogs));

    // Three drives, the temporary folder the middle one, so that no command is refused as
    // acting on the last drive.
    const std::string last = m_root + "-last-drive";
    auto *drive1 = child<DriveListBox>("Drive1");
    drive1->setDrives({Drive{"/", {}}, Drive{m_root, {}}, Drive{last, {}}});
    drive1->selectDriveFor(m_root);
    QCOMPARE(drive1->listIndex(), 1);
    auto *dir1 = child<DirListBox>("Dir1");
    dir1->setDriveRoots({"/", m_root, last});
    dir1->setPath(m_root); // raises Dir1's Change: the file list follows
    QCOMPARE(child<FileListBox>("File1")->path(), m_root);

    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    dir1->setFocus(Qt::OtherFocusReason);
    QCOMPARE(QApplication::focusWidget(), dir1);
    m_dialogs->clear();
}

void TestWiring::cleanup() {
    m_window.reset();
    m_dir.reset();
}

QStringList TestWiring::handlersOf(const std::function<void()> &action) {
    const int before = test::HandlerProbe::handlersRun(*m_window);
    QStringList names;
    {
        test::HandlerProbe probe(*m_window);
        action();
        names = probe.started();
    }
    // Every handler run is one named; a count that disagrees fails the test that asked.
    const int run = test::HandlerProbe::handlersRun(*m_window) - before;
    if (run != names.size())
        QTest::qFail(qPrintable(QStringLiteral("%1 handlers run, %2 named: %3")
                                    .arg(run)
                                    .arg(names.size())
                                    .arg(names.join(QLatin1Char(' ')))),
                     __FILE__, __LINE__);
    return names;
}

QModelIndex TestWiring::rowNamed(QAbstractItemView *view, const QString &text) const {
    const QModelIndexList found = view->model()->match(
        view->model()->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchFixedString | Qt::MatchWrap);
    return found.isEmpty() ? QModelIndex() : found.first();
}

void TestWiring::event_data() {
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QStringList>("expected");

    const QStringList none;
    QTest::newRow("Fermer click") << Action::ClickButton << "Command1" << QStringList{"close"};
    QTest::newRow("OK click") << Action::ClickButton << "Command2" << QStringList{"applyFilter"};
    QTest::newRow("Kill click") << Action::ClickButton << "Command3" << QStringList{"deleteFile"};
    QTest::newRow("Créer dossier click")
        << Action::ClickButton << "Command4" << QStringList{"createFolder"};
    QTest::newRow("Exécuter click") << Action::ClickButton << "Command5" << QStringList{"runFile"};
    QTest::newRow("RmDir click") << Action::ClickButton << "Command6"
                                 << QStringList{"removeFolder"};
    QTest::newRow("Enter in the pattern box")
        << Action::EnterInPattern << "Text1" << QStringList{"applyFilter"};
    QTest::newRow("file name clicked")
        << Action::ClickFileName << "File1" << QStringList{"fileClicked"};
    QTest::newRow("file list left by Tab")
        << Action::LeaveFileList << "File1" << QStringList{"fileListLeft"};
    QTest::newRow("folder opened in Dir1")
        << Action::OpenFolderInDir1 << "Dir1" << QStringList{"folderChanged"};
    QTest::newRow("other drive chosen, folder follows")
        << Action::ChooseOtherDrive << "Drive1" << QStringList{"driveChanged", "folderChanged"};

    QTest::newRow("double click on a file name") << Action::DoubleClickFileName << "File1" << none;
    QTest::newRow("typing in the pattern box") << Action::TypeInPattern << "Text1" << none;
    QTest::newRow("typing in the date box") << Action::TypeInDateBox << "Text2" << none;
    QTest::newRow("single click on a folder") << Action::ClickFolderInDir1 << "Dir1" << none;
    QTest::newRow("click on a label") << Action::ClickLabel << "Label1" << none;
    QTest::newRow("click on the background") << Action::ClickBackground << "" << none;
}

void TestWiring::event() {
    QFETCH(Action, action);
    QFETCH(QString, control);
    QFETCH(QStringList, expected);
    auto *file1 = child<FileListBox>("File1");
    auto *dir1 = child<DirListBox>("Dir1");
    const QModelIndex fileRow = rowNamed(file1, QStringLiteral("a.txt"));
    QVERIFY(fileRow.isValid());
    const QPoint filePoint = file1->visualRect(fileRow).center();

    if (action == Action::DoubleClickFileName) {
        QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, filePoint);
        QCOMPARE(file1->fileName(), std::string("a.txt"));
    }

    const QStringList ran = handlersOf([&] {
        QWidget *w = control.isEmpty() ? nullptr : m_window->findChild<QWidget *>(control);
        switch (action) {
        case Action::ClickButton:
            QTest::mouseClick(w, Qt::LeftButton);
            break;
        case Action::EnterInPattern:
            w->setFocus();
            QTest::keyClick(w, Qt::Key_Return);
            break;
        case Action::ClickFileName:
            QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, filePoint);
            break;
        case Action::LeaveFileList:
            file1->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(file1, Qt::Key_Tab);
            break;
        case Action::OpenFolderInDir1: {
            const QModelIndex sub = rowNamed(dir1, QStringLiteral("sub"));
            dir1->setCurrentIndex(sub);
            QTest::keyClick(dir1, Qt::Key_Return);
            break;
        }
        case Action::ChooseOtherDrive:
            w->setFocus();
            QTest::keyClick(w, Qt::Key_Up);
            break;
        case Action::DoubleClickFileName: {
            QMouseEvent press(QEvent::MouseButtonDblClick, filePoint,
                              file1->viewport()->mapToGlobal(filePoint), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(file1->viewport(), &press);
            QTest::mouseRelease(file1->viewport(), Qt::LeftButton, {}, filePoint);
            break;
        }
        case Action::TypeInPattern:
            QTest::keyClicks(w, QStringLiteral(".bmp"));
            break;
        case Action::TypeInDateBox:
            QTest::keyClicks(w, QStringLiteral("12"));
            break;
        case Action::ClickFolderInDir1:
            QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {},
                              dir1->visualRect(rowNamed(dir1, QStringLiteral("sub"))).center());
            break;
        case Action::ClickLabel:
            QTest::mouseClick(w, Qt::LeftButton);
            break;
        case Action::ClickBackground:
            QTest::mouseClick(m_window.get(), Qt::LeftButton, {}, QPoint(200, 5));
            break;
        }
    });
    QCOMPARE(ran, expected);
    QCOMPARE(m_dialogs->log().filter(QStringLiteral("Error(")), QStringList());

    // What the handlers did, where it tells the events apart.
    switch (action) {
    case Action::ClickButton:
        QCOMPARE(m_window->isVisible(), control != QStringLiteral("Command1"));
        break;
    case Action::OpenFolderInDir1:
        QCOMPARE(file1->path(), test::fsJoin(m_root, "sub"));
        break;
    case Action::ChooseOtherDrive:
        QCOMPARE(child<DriveListBox>("Drive1")->drive(), std::string("/"));
        QCOMPARE(file1->path(), dir1->path());
        break;
    case Action::ClickFolderInDir1:
        QCOMPARE(dir1->path(), m_root); // a click only highlights
        break;
    default:
        QVERIFY(m_window->isVisible());
        break;
    }
}

void TestWiring::enterAppliesPattern() {
    auto *text1 = child<QLineEdit>("Text1");
    text1->setFocus();
    QTest::keyClicks(text1, QStringLiteral(".bmp"));
    QTest::keyClick(text1, Qt::Key_Enter);
    auto *file1 = child<FileListBox>("File1");
    QCOMPARE(file1->pattern(), std::string("*.bmp"));
    QCOMPARE(file1->listCount(), 1);
}

void TestWiring::handlerErrorIsShownAndProgramGoesOn() {
    // "Créer dossier" with the name of a folder that exists: the system refuses.
    m_dialogs->answerText("sub");
    const QStringList ran =
        handlersOf([&] { QTest::mouseClick(child<QPushButton>("Command4"), Qt::LeftButton); });
    QCOMPARE(ran, QStringList{"createFolder"});
    const std::string expected =
        frenchMessage(ErrorKind::AlreadyExists, test::fsJoin(m_root, "sub"), {});
    QCOMPARE(m_dialogs->log().last(),
             QStringLiteral("Error(%1)").arg(QString::fromStdString(expected)));
    QVERIFY(m_window->isVisible());

    // The next event is handled as usual.
    child<QLineEdit>("Text1")->setText(QStringLiteral(".txt"));
    QCOMPARE(handlersOf([&] { QTest::mouseClick(child<QPushButton>("Command2"), Qt::LeftButton); }),
             QStringList{"applyFilter"});
    QCOMPARE(child<FileListBox>("File1")->pattern(), std::string("*.txt"));
}

void TestWiring::boundary_data() {
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<bool>("completes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no error") << Failure::None << true << QString();
    QTest::newRow("platform error")
        << Failure::PlatformNotFound << false << "Error(Fichier introuvable : /tmp/notes.txt)";
    QTest::newRow("16-bit overflow")
        << Failure::Overflow << false << "Error(Dépassement de capacité)";
    QTest::newRow("other standard error")
        << Failure::StdException << false << "Error(Erreur inattendue : boom)";
    QTest::newRow("out of memory")
        << Failure::OutOfMemory << false << "Error(Mémoire insuffisante)";
    QTest::newRow("anything else thrown")
        << Failure::Unknown << false << "Error(Erreur inattendue)";
}

void TestWiring::boundary() {
    QFETCH(Failure, failure);
    QFETCH(bool, completes);
    QFETCH(QString, shown);
    test::DialogScript dialogs;
    bool reachedEnd = false;
    const bool ok = runAtBoundary(dialogs, [&] {
        switch (failure) {
        case Failure::None:
            break;
        case Failure::PlatformNotFound:
            throw PlatformError(ErrorKind::NotFound, "/tmp/notes.txt",
                                std::error_code(ENOENT, std::generic_category()));
        case Failure::Overflow:
            throw OverflowError();
        case Failure::StdException:
            throw std::runtime_error("boom");
        case Failure::OutOfMemory:
            throw std::bad_alloc();
        case Failure::Unknown:
            throw 42;
        }
        reachedEnd = true;
    });
    QCOMPARE(ok, completes);
    QCOMPARE(reachedEnd, completes);
    QCOMPARE(dialogs.log(), shown.isEmpty() ? QStringList() : QStringList{shown});
}

void TestWiring::startUp_data() {
    QTest::addColumn<bool>("removeStartFolder");
    QTest::newRow("readable start folder") << false;
    QTest::newRow("start folder removed") << true;
}

void TestWiring::startUp() {
    QFETCH(bool, removeStartFolder);
    m_window.reset();
    const QString previous = QDir::currentPath();
    QTemporaryDir startDir;
    const std::string start = test::fsPath(startDir);
    QVERIFY(test::fsWriteFile(test::fsJoin(start, "notes.txt"), "x"));
    QVERIFY(QDir::setCurrent(startDir.path()));
    QVERIFY(test::fsMakeDir(test::fsJoin(start, "dossier")));
    if (removeStartFolder) {
        QVERIFY(startDir.remove());
    }
    FolderOpens opens(start);
    QVERIFY(opens.watching() || removeStartFolder);
    auto dialogs = std::make_unique<test::DialogScript>();
    test::DialogScript *script = dialogs.get();
    auto window = std::make_unique<Quervelle>(std::move(dialogs));
    QVERIFY(QDir::setCurrent(previous));

    QCOMPARE(test::HandlerProbe::handlersRun(*window), 0);
    auto *drive1 = window->findChild<DriveListBox *>(QStringLiteral("Drive1"));
    auto *dir1 = window->findChild<DirListBox *>(QStringLiteral("Dir1"));
    auto *file1 = window->findChild<FileListBox *>(QStringLiteral("File1"));
    QVERIFY(drive1->listCount() >= 1);
    QVERIFY(!drive1->drive().empty()); // one drive is selected
    QCOMPARE(file1->pattern(), std::string("*"));
    QCOMPARE(file1->path(), dir1->path());
    QCOMPARE(script->log(), QStringList()); // nothing shown before the window is

    if (!removeStartFolder) {
        QCOMPARE(opens.take(), 1); // read once, for both lists
        QCOMPARE(dir1->path(), start);
        QCOMPARE(test::rowTexts(*dir1).back(), std::string("dossier"));
        QCOMPARE(file1->listCount(), 1);
        QVERIFY(start.compare(0, drive1->drive().size(), drive1->drive()) == 0);
        QVERIFY(window->startErrors().empty());
    } else {
        // The lists start at the first drive instead, and the user is told why.
        QCOMPARE(dir1->path(), drive1->drives().front().root);
        QCOMPARE(window->startErrors().size(), std::size_t(1));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents(); // the report waits for the window to be shown
        QCOMPARE(script->log().size(), 1);
        QVERIFY(script->log().first().startsWith(QStringLiteral("Error(Dossier de départ")));
    }
    QCOMPARE(test::HandlerProbe::handlersRun(*window), 0);
}

QTEST_MAIN(TestWiring)
#include "tst_wiring.moc"
