// The rows a screen reader announces as the focus moves, on a real X server with the
// accessibility bus up (Qt tells assistive technology nothing while no one listens), the window
// in this process: a list reached with Tab announces its row under the cursor after the list
// itself, and the first Down in the file list announces the row it selects, with the file's
// details on a middle drive and without them on the first. Skipped, saying why, where the
// accessibility bus cannot start.

#include "platform/filelistbox.h"
#include "window/quervelle.h"

#include "support/accessibilitybus.h"
#include "support/stackfixture.h"
#include "support/xvfb.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

using namespace quervelle;

namespace {

struct Heard {
    QPointer<QObject> object;
    QString row; // empty when the object itself took the focus
    QString description;
};
std::vector<Heard> heard; // every focus announcement, as told at that moment

void listen(QAccessibleEvent *event) {
    if (event->type() != QAccessible::Focus)
        return;
    QAccessibleInterface *iface = event->accessibleInterface();
    const bool row = event->child() >= 0 && iface;
    heard.push_back({event->object(), row ? iface->text(QAccessible::Name) : QString(),
                     row ? iface->text(QAccessible::Description) : QString()});
}

test::AccessibilityBus *bus = nullptr;

} // namespace

class TestAnnounce : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { QAccessible::installUpdateHandler(nullptr); }
    void lastHeard_data();
    void lastHeard();
};

void TestAnnounce::initTestCase() {
    if (!bus->error().isEmpty() || bus->address().isEmpty())
        QSKIP(qPrintable(QStringLiteral("no accessibility bus: ") + bus->error()));
    QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 20000);
    QAccessible::installUpdateHandler(&listen);
}

void TestAnnounce::lastHeard_data() {
    QTest::addColumn<bool>("middleDrive");
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("down");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("description"); // "details": the details shown, as the boxes say
    QTest::newRow("Tab into the folder list") << true << "Command6" << false << "Dir1"
                                              << "ici"
                                              << "niveau 2";
    QTest::newRow("Tab into the file list") << true << "Dir1" << false << "File1"
                                            << "a.txt"
                                            << "";
    QTest::newRow("first Down, middle drive") << true << "Dir1" << true << "File1"
                                              << "a.txt"
                                              << "details";
    QTest::newRow("first Down, first drive") << false << "Dir1" << true << "File1"
                                             << "a.txt"
                                             << "";
}

void TestAnnounce::lastHeard() {
    QFETCH(bool, middleDrive);
    QFETCH(QString, from);
    QFETCH(bool, down);
    QFETCH(QString, list);
    QFETCH(QString, row);
    QFETCH(QString, description);
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
    heard.clear();
    QTest::keyClick(start, Qt::Key_Tab);
    if (down)
        QTest::keyClick(&stack.file1(), Qt::Key_Down);
    QObject *expected = stack.window().findChild<QObject *>(list);
    QTRY_VERIFY(!heard.empty() && heard.back().object == expected && heard.back().row == row);
    if (description == QStringLiteral("details")) {
        QVERIFY(!stack.text(2).text().isEmpty());
        description = QStringLiteral("A été créé le: %1, Taille: 10").arg(stack.text(2).text());
    }
    QCOMPARE(heard.back().description, description);
    QCOMPARE(stack.file1().fileName(), std::string(down ? "a.txt" : ""));
}

int main(int argc, char *argv[]) {
    test::XvfbServer *server = test::startXvfbForThisProcess();
    if (!server)
        return 1;
    bus = &test::startAccessibilityBusForThisProcess(server->display());
    QApplication app(argc, argv);
    TestAnnounce test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_announce.moc"
