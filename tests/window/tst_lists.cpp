// The three lists of the real window agree on the drive and the folder shown: choosing a drive
// shows a folder of that drive, a folder that cannot be read is one box with both lists on it,
// and the drive list follows the disks mounted and unmounted while the window is open.
//
// The second drive is a bind mount made in a private mount namespace of this process, which
// main() enters before any thread exists; without it, the rows that mount are skipped with the
// reason.

#include "platform/controls/dirlistbox.h"
#include "platform/controls/drivelistbox.h"
#include "platform/controls/filelistbox.h"
#include "platform/files/drives.h"
#include "platform/files/pathtext.h"
#include "support/listfixtures.h"
#include "support/mountnamespace.h"
#include "support/stackfixture.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <unistd.h>

using namespace quervelle;
using namespace quervelle::test;

namespace {

// The drive that holds path now, as the drive list reads it.
std::string driveHolding(const std::string &path) {
    std::vector<std::string> roots;
    for (const Drive &drive : currentDrives())
        roots.push_back(drive.root);
    const auto found = pathtext::longestRootHolding(roots, path, '/');
    return found ? roots[*found] : std::string();
}

} // namespace

class TestLists : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void listsAgree_data();
    void listsAgree();

private:
    std::string expand(const QString &text) const; // "@" stands for the temporary folder
    QString runStep(const QString &step);          // why it could not be done; empty when done

    std::unique_ptr<QTemporaryDir> m_tree;
    std::string m_root;
    std::unique_ptr<StackFixture> m_stack;
    TestMounts m_mounts;
};

void TestLists::init() {
    m_tree = std::make_unique<QTemporaryDir>();
    m_root = fsPath(*m_tree);
    for (const char *folder : {"/source", "/source/start", "/drive", "/empty", "/a", "/a/b"})
        QVERIFY(fsMakeDir(m_root + folder));
}

void TestLists::cleanup() {
    m_stack.reset();
    m_mounts.unmountAll();
    m_tree.reset();
}

std::string TestLists::expand(const QString &text) const {
    std::string out;
    for (const char c : text.toStdString())
        out += c == '@' ? m_root : std::string(1, c);
    return out;
}

// "start X": the window starts in folder X. "mount", "unmount": @/source on @/drive. "hide
// table", "show table": an empty folder bound over /proc/<this process>, where the mount table
// is read. "choose X": drive X picked from the opened drive list; "open list": opened and closed.
// "open X": Dir1's rows double-clicked from the folder shown down to X. "test drives": "/", @ and
// a last drive that exists nowhere, chosen with End. "show X": X shown in both lists.
QString TestLists::runStep(const QString &step) {
    const std::string arg = expand(step.section(u' ', 1));
    const std::string self = "/proc/" + std::to_string(::getpid());
    if (step.startsWith(QStringLiteral("start "))) {
        const QString previous = QDir::currentPath();
        if (::chdir(arg.c_str()) != 0)
            return systemError("chdir");
        m_stack = std::make_unique<StackFixture>();
        QDir::setCurrent(previous);
        return {};
    }
    if (step == QStringLiteral("mount"))
        return m_mounts.bind(m_root + "/source", m_root + "/drive");
    if (step == QStringLiteral("unmount"))
        return m_mounts.unmount(m_root + "/drive");
    if (step == QStringLiteral("hide table"))
        return m_mounts.bind(m_root + "/empty", self);
    if (step == QStringLiteral("show table"))
        return m_mounts.unmount(self);
    if (step == QStringLiteral("remove b"))
        return fsRemoveTree(m_root + "/a/b") ? QString() : fsLastError();
    if (step == QStringLiteral("open list"))
        m_stack->openDriveList();
    else if (step.startsWith(QStringLiteral("choose ")) && !m_stack->chooseDrive(arg))
        return QStringLiteral("not listed");
    else if (step == QStringLiteral("test drives"))
        m_stack->useDrive(m_root);
    else if (step.startsWith(QStringLiteral("show ")) && !m_stack->showFolder(arg).empty())
        return QStringLiteral("not shown");
    else if (step == QStringLiteral("press End"))
        QTest::keyClick(&m_stack->drive1(), Qt::Key_End);
    else if (step.startsWith(QStringLiteral("open "))) {
        for (std::string shown; (shown = m_stack->dir1().path()) != arg;) {
            const std::size_t from = shown.size() + (shown.back() == '/' ? 0 : 1);
            if (!pathtext::liesUnder(arg, shown, '/') ||
                !m_stack->openFolder(arg.substr(from, arg.find('/', from) - from)))
                return QStringLiteral("no way down from ") + fsShow(shown);
        }
    }
    return {};
}

void TestLists::listsAgree_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("shown"); // by Dir1 and File1
    QTest::addColumn<QString>("drive"); // selected in Drive1; empty: the drive holding @
    QTest::addColumn<bool>("listed");   // @/drive in Drive1
    QTest::addColumn<QStringList>("boxes");
    const QStringList none;
    const QStringList fromDrive{"mount", "start @/drive/start"};
    QTest::newRow("/ chosen after starting on another drive shows its mount path")
        << fromDrive + QStringList{"choose /"} << "/"
        << "/" << true << none;
    QTest::newRow("the start drive chosen again gives back the start folder")
        << fromDrive + QStringList{"choose /", "choose @/drive"} << "@/drive/start"
        << "@/drive" << true << none;
    QTest::newRow("/ chosen again gives back the folder last shown there")
        << fromDrive + QStringList{"choose /", "open @", "choose @/drive", "choose /"} << "@"
        << "/" << true << none;
    QTest::newRow("opening the other drive in the tree of / selects it")
        << fromDrive + QStringList{"choose /", "open @/drive"} << "@/drive"
        << "@/drive" << true << none;
    QTest::newRow("a disk mounted is listed when the list is opened, the selection kept")
        << QStringList{"start @", "mount", "open list"} << "@"
        << "" << true << none;
    QTest::newRow("the disk chosen unmounted: the drive holding the folder shown is selected")
        << QStringList{"start @", "mount", "choose @/drive", "unmount", "open list"} << "@/drive"
        << "" << false << none;
    QTest::newRow("an unreadable mount table keeps the list and says why, once")
        << QStringList{"start @", "hide table", "mount", "open list", "open list"} << "@"
        << "" << false << QStringList{"Fichier introuvable : /proc/self/mountinfo"};
    QTest::newRow("the list follows the disks again once the table can be read")
        << QStringList{"start @", "hide table", "open list", "show table", "mount", "open list"}
        << "@"
        << "" << true << QStringList{"Fichier introuvable : /proc/self/mountinfo"};
    QTest::newRow("a vanished folder opened from Dir1: one box")
        << QStringList{"start @", "test drives", "show @/a", "remove b", "open @/a/b"} << "@/a/b"
        << "@" << false << QStringList{"Fichier introuvable : @/a/b"};
    QTest::newRow("a drive whose folder cannot be read: one box")
        << QStringList{"start @", "test drives", "show @/a", "press End"}
        << "/nonexistent-cd-rom-drive"
        << "/nonexistent-cd-rom-drive" << false
        << QStringList{"Fichier introuvable : /nonexistent-cd-rom-drive"};
}

void TestLists::listsAgree() {
    QFETCH(QStringList, steps);
    QFETCH(QString, shown);
    QFETCH(QString, drive);
    QFETCH(bool, listed);
    QFETCH(QStringList, boxes);
    if (steps.contains(QStringLiteral("mount")) && !mountNamespaceRefused().isEmpty())
        QSKIP(qPrintable(QStringLiteral("no private mount namespace: ") + mountNamespaceRefused()));
    if (steps.contains(QStringLiteral("choose /")) && driveHolding(m_root) != "/")
        QSKIP("the temporary folder is not on the drive /");
    const std::string holder = driveHolding(m_root);

    for (const QString &step : steps) {
        const QString failed = runStep(step);
        QVERIFY2(failed.isEmpty(), qPrintable(step + QStringLiteral(": ") + failed));
    }
    const std::vector<Drive> &drives = m_stack->drive1().drives();
    QCOMPARE(std::any_of(drives.begin(), drives.end(),
                         [&](const Drive &d) { return d.root == m_root + "/drive"; }),
             listed);
    QCOMPARE(m_stack->dir1().path(), expand(shown));
    QCOMPARE(m_stack->file1().path(), expand(shown));
    QCOMPARE(m_stack->drive1().drive(), drive.isEmpty() ? holder : expand(drive));
    std::vector<std::string> expected;
    for (const QString &box : boxes)
        expected.push_back(expand(box));
    const std::vector<std::string> errors = m_stack->takeErrors();
    QVERIFY2(errors == expected, qPrintable(showLines(errors)));
}

int main(int argc, char **argv) {
    // First, while this process has a single thread: the namespace is then the whole process's.
    enterPrivateMountNamespace();
    QApplication app(argc, argv);
    TestLists test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lists.moc"
