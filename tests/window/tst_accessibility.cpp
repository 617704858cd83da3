// What a screen reader is told about the window, read in process through the accessible
// interfaces as assistive technology reads them: every control's role, name, description and
// label relations; the folder rows' level and open state; a file's details read with its row on
// a middle drive, and on no other drive nor once the focus has left the list.

#include "platform/controls/dirlistbox.h"
#include "platform/controls/drivelistbox.h"
#include "platform/controls/filelistbox.h"
#include "window/quervelle.h"

#include "support/dialogscript.h"
#include "support/stackfixture.h"

#include <QAccessible>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace quervelle;

namespace {

QAccessibleInterface *accessible(QObject *object) {
    return QAccessible::queryAccessibleInterface(object);
}

// The object name of the first object in that relation to iface, or "".
QString related(QAccessibleInterface *iface, QAccessible::Relation relation) {
    const auto found = iface->relations(relation);
    return found.isEmpty() ? QString() : found.first().first->object()->objectName();
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void control_data();
    void control();
    void folderRows_data();
    void folderRows();
    void fileRowDetails_data();
    void fileRowDetails();
};

void TestAccessibility::control_data() {
    QTest::addColumn<QString>("name"); // the object's name; empty for the window
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("heard");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("labelledBy");
    QTest::addColumn<QString>("labelFor");
    using A = QAccessible;
    auto row = [](const char *tag, const char *name, A::Role role, const char *heard,
                  const char *description = "", const char *by = "", const char *forBox = "") {
        QTest::newRow(tag) << name << role << QString::fromUtf8(heard)
                           << QString::fromUtf8(description) << by << forBox;
    };
    row("window", "", A::Window, "Quervelle de fichiers");
    row("Dir1", "Dir1", A::List, "Dossiers");
    row("File1", "File1", A::List, "Fichiers");
    row("Drive1 named, not its drive", "Drive1", A::ComboBox, "Lecteurs");
    row("Text1 pattern", "Text1", A::EditableText, "Fichier:", "", "Label1");
    row("Command1", "Command1", A::Button, "Fermer");
    row("Command2", "Command2", A::Button, "OK");
    row("Label1", "Label1", A::StaticText, "Fichier:", "", "", "Text1");
    row("Text2 date", "Text2", A::EditableText, "A été créé le:", "", "Label2");
    row("Label2", "Label2", A::StaticText, "A été créé le:", "", "", "Text2");
    row("Text3 size", "Text3", A::EditableText, "Taille:", "", "Label3");
    row("Label3", "Label3", A::StaticText, "Taille:", "", "", "Text3");
    row("Command3 Kill", "Command3", A::Button, "Kill", "Effacer le fichier choisi");
    row("Command4", "Command4", A::Button, "Créer dossier");
    row("Command5", "Command5", A::Button, "Exécuter");
    row("Command6 RmDir", "Command6", A::Button, "RmDir", "Supprimer le dossier affiché");
}

void TestAccessibility::control() {
    QFETCH(QString, name);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, heard);
    QFETCH(QString, description);
    QFETCH(QString, labelledBy);
    QFETCH(QString, labelFor);
    Quervelle window(std::make_unique<test::DialogScript>());
    QObject *object = name.isEmpty() ? &window : window.findChild<QWidget *>(name);
    QVERIFY(object);
    QAccessibleInterface *iface = accessible(object);
    QVERIFY(iface && iface->isValid());
    QCOMPARE(iface->role(), role);
    QCOMPARE(iface->text(QAccessible::Name), heard);
    QCOMPARE(iface->text(QAccessible::Description), description);
    QCOMPARE(related(iface, QAccessible::Label), labelledBy);
    QCOMPARE(related(iface, QAccessible::Labelled), labelFor);
    if (role == QAccessible::ComboBox) { // the drive shown is its value; its list drops down
        QCOMPARE(iface->text(QAccessible::Value),
                 window.findChild<DriveListBox *>()->currentText());
        QCOMPARE(iface->child(0)->role(), QAccessible::List);
    }
    QCOMPARE(iface->parent()->role(),
             name.isEmpty() ? QAccessible::Application : QAccessible::Window);
}

void TestAccessibility::folderRows_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("folder"); // empty for the drive's root
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("open");
    QTest::newRow("drive's root") << 0 << QString() << 1 << true;
    QTest::newRow("folder above the one shown") << 1 << QStringLiteral("haut") << 2 << true;
    QTest::newRow("folder shown") << 2 << QStringLiteral("ici") << 3 << true;
    QTest::newRow("first sub-folder") << 3 << QStringLiteral("sous 1") << 4 << false;
    QTest::newRow("second sub-folder") << 4 << QStringLiteral("sous 2") << 4 << false;
}

void TestAccessibility::folderRows() {
    QFETCH(int, row);
    QFETCH(QString, folder);
    QFETCH(int, level);
    QFETCH(bool, open);
    QTemporaryDir drive;
    const std::string root = test::fsPath(drive);
    const std::string shown = test::fsJoin(test::fsJoin(root, "haut"), "ici");
    QVERIFY(test::fsMakeDir(test::fsJoin(root, "haut")) && test::fsMakeDir(shown));
    QVERIFY(test::fsMakeDir(test::fsJoin(shown, "sous 1")));
    QVERIFY(test::fsMakeDir(test::fsJoin(shown, "sous 2")));
    test::StackFixture stack;
    stack.useDrive(root);
    QVERIFY(stack.showFolder(shown).empty());

    QAccessibleInterface *list = accessible(&stack.dir1());
    QCOMPARE(list->childCount(), 5);
    QAccessibleInterface *item = list->child(row);
    QVERIFY(item && item->isValid());
    QCOMPARE(list->indexOfChild(item), row);
    QCOMPARE(item->parent(), list);
    QCOMPARE(item->role(), QAccessible::ListItem);
    QCOMPARE(item->text(QAccessible::Name),
             folder.isEmpty() ? QString::fromStdString(root) : folder);
    QCOMPARE(item->text(QAccessible::Description), QStringLiteral("niveau %1").arg(level));
    QVERIFY(item->state().expandable);
    QCOMPARE(item->state().expanded, open);
    QCOMPARE(item->state().collapsed, !open);
    QCOMPARE(item->state().selected, row == 2); // the folder shown is highlighted

    // Read again, the list's old rows are gone and its rows are those of the new folder.
    QVERIFY(stack.showFolder(test::fsJoin(shown, "sous 1")).empty());
    QVERIFY(!item->isValid());
    QCOMPARE(list->childCount(), 4);
    QCOMPARE(list->child(3)->text(QAccessible::Name), QStringLiteral("sous 1"));
    QCOMPARE(list->child(3)->state().expanded, true);
}

void TestAccessibility::fileRowDetails_data() {
    QTest::addColumn<int>("drive"); // 0 first, 1 middle, 2 last
    QTest::addColumn<bool>("leaveList");
    QTest::addColumn<bool>("described");
    QTest::newRow("middle drive: the row says the details") << 1 << false << true;
    QTest::newRow("middle drive, focus gone: nothing") << 1 << true << false;
    QTest::newRow("first drive: nothing") << 0 << false << false;
    QTest::newRow("last drive: nothing") << 2 << false << false;
}

void TestAccessibility::fileRowDetails() {
    QFETCH(int, drive);
    QFETCH(bool, leaveList);
    QFETCH(bool, described);
    QTemporaryDir dir;
    const std::string base = test::fsPath(dir);
    const std::string roots[] = {test::fsJoin(base, "premier"), test::fsJoin(base, "milieu"),
                                 test::fsJoin(base, "dernier")};
    for (const std::string &folder : roots)
        QVERIFY(test::fsMakeDir(folder) &&
                test::fsWriteFile(test::fsJoin(folder, "notes.txt"), "1234567890") &&
                test::fsWriteFile(test::fsJoin(folder, "autre.txt"), "1"));
    test::StackFixture stack;
    stack.window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&stack.window()));
    stack.useDrive(roots[1], roots[2]); // roots[0] lies on "/", the first drive
    QVERIFY(stack.showFolder(roots[drive]).empty());
    QCOMPARE(stack.drive1().listIndex(), drive);

    QVERIFY(stack.clickName("notes.txt"));
    if (leaveList)
        QTest::keyClick(&stack.file1(), Qt::Key_Tab);
    QCoreApplication::processEvents();
    const QString date = stack.text(2).text();
    QCOMPARE(date.isEmpty(), !described);
    QCOMPARE(stack.text(3).text(), described ? QStringLiteral("10") : QString());

    QAccessibleInterface *list = accessible(&stack.file1());
    const QString expected =
        described ? QStringLiteral("A été créé le: %1, Taille: 10").arg(date) : QString();
    QCOMPARE(list->child(stack.rowOf("notes.txt"))->text(QAccessible::Description), expected);
    QCOMPARE(list->child(stack.rowOf("autre.txt"))->text(QAccessible::Description), QString());
    QVERIFY(stack.scriptKeptInStep());
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
