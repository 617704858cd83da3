// The row a screen reader announces as the focus moves, the window in this process on a real X
// server with the accessibility bus up (Qt tells assistive technology nothing while no one
// listens): a list reached with Tab announces its row under the cursor after the list itself,
// and the first Down in the file list the row it selects, with the file's details on a middle
// drive and without them on the first. Skipped, saying why, where the bus cannot start.

#include "platform/controls/filelistbox.h"
#include "window/quervelle.h"

#include "support/accessibilitybus.h"
#include "support/skipping.h"
#include "support/stackfixture.h"
#include "support/xvfb.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace quervelle;

namespace {

test::AccessibilityBus *bus = nullptr;
QString lastHeard; // "list|row|description" of the last focus announced, as told then

void listen(QAccessibleEvent *event) {
    QAccessibleInterface *iface = event->accessibleInterface();
    if (event->type() != QAccessible::Focus || !iface)
        return;
    lastHeard = event->object()->objectName();
    if (event->child() >= 0)
        lastHeard +=
            u'|' + iface->text(QAccessible::Name) + u'|' + iface->text(QAccessible::Description);
}

} // namespace

class TestAnnounce : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { QAccessible::installUpdateHandler(nullptr); }
    void announced_data();
    void announced();
};

void TestAnnounce::initTestCase() {
    if (!bus->error().isEmpty() || bus->address().isEmpty())
        QUERVELLE_SKIP(qPrintable(QStringLiteral("no accessibility bus: ") + bus->error()));
    QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 20000);
    QAccessible::installUpdateHandler(&listen);
}

void TestAnnounce::announced_data() {
    QTest::addColumn<bool>("middleDrive");
    QTest::addColumn<QString>("from"); // Tab from there, then Down where asked
    QTest::addColumn<bool>("down");
    QTest::addColumn<QString>("heard"); // %1: the date box's text
    QTest::newRow("Tab into the folder list") << true << "Command6" << false << "Dir1|ici|niveau 2";
    QTest::newRow("Tab into the file list") << true << "Dir1" << false << "File1|a.txt|";
    QTest::newRow("first Down, middle drive")
        << true << "Dir1" << true << "File1|a.txt|A été créé le: %1, Taille: 10";
    QTest::newRow("first Down, first drive") << false << "Dir1" << true << "File1|a.txt|";
}

void TestAnnounce::announced() {
    QFETCH(bool, middleDrive);
    QFETCH(QString, from);
    QFETCH(bool, down);
    QFETCH(QString, heard);
    QTemporaryDir dir;
    const std::string drive = test::fsJoin(test::fsPath(dir), "lecteur");
    const std::string shown = test::fsJoin(middleDrive ? drive : test::fsPath(dir), "ici");
    QVERIFY(test::fsMakeDir(drive) && test::fsMakeDir(shown));
    QVERIFY(test::fsWriteFile(test::fsJoin(shown, "a.txt"), "1234567890"));
    QVERIFY(test::fsWriteFile(test::fsJoin(shown, "b.txt"), "1"));
    test::StackFixture stack;
    stack.window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&stack.window()));
    stack.useDrive(drive);
    QVERIFY(stack.showFolder(shown).empty());

    QWidget *start = stack.window().findChild<QWidget *>(from);
    start->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    lastHeard.clear();
    QTest::keyClick(start, Qt::Key_Tab);
    if (down)
        QTest::keyClick(&stack.file1(), Qt::Key_Down);
    if (heard.contains(QStringLiteral("%1")))
        heard = heard.arg(stack.text(2).text());
    QTRY_COMPARE(lastHeard, heard);
    QCOMPARE(stack.file1().fileName(), std::string(down ? "a.txt" : ""));
}

int main(int argc, char *argv[]) {
    test::XvfbServer *server = test::startXvfbForThisProcess();
    if (!server)
        return 1;
    bus = &test::startAccessibilityBusForThisProcess(server->display());
    QApplication app(argc, argv);
    TestAnnounce test;
    return test::exitCode(QTest::qExec(&test, argc, argv));
}

#include "tst_announce.moc"
