#include "logic/handlers.h"
#include "support/scriptedplatform.h"

#include <QTest>

using namespace quervelle;
using quervelle::test::describe;
using quervelle::test::lines;
using quervelle::test::runHandler;

namespace {

const QByteArray EmptyPatternBox = "MsgBox(Sélectionnez 'extension' ou 'Nom complet' et renseigner "
                                   "la case 'fichier',48,Erreur)";

using Window = quervelle::test::ScriptedWindow;
using quervelle::test::ShownDialog;

} // namespace

class TestNavigation : public QObject {
    Q_OBJECT
private slots:
    void driveChangeMovesBothLists_data();
    void driveChangeMovesBothLists();
    void applyFilter_data();
    void applyFilter();
    void filterKeptAcrossChanges_data();
    void filterKeptAcrossChanges();
    void fileListLeftEmptiesBoxes_data();
    void fileListLeftEmptiesBoxes();
};

void TestNavigation::driveChangeMovesBothLists_data() {
    QTest::addColumn<QByteArray>("drive");      // Drive1.Drive, as the drive list gives it
    QTest::addColumn<QByteArray>("heldFolder"); // held for the drive; empty: none
    QTest::addColumn<QByteArray>("failingStep");
    QTest::addColumn<QByteArray>("refused");  // the folder refused or gone
    QTest::addColumn<QByteArray>("dirShown"); // Dir1's folder afterwards
    QTest::addColumn<QByteArray>("shown");    // File1's folder afterwards
    QTest::addColumn<QByteArrayList>("listed");
    QTest::addColumn<QByteArrayList>("boxes"); // the errors shown, once each

    QTest::newRow("drive at its root")
        << QByteArray("d:") << QByteArray() << QByteArray() << QByteArray() << QByteArray("D:\\")
        << QByteArray("D:\\") << QByteArrayList{"d.bmp"} << QByteArrayList();
    QTest::newRow("drive with a held folder")
        << QByteArray("e: [Photos]") << QByteArray("E:\\Photos\\2024") << QByteArray()
        << QByteArray() << QByteArray("E:\\Photos\\2024") << QByteArray("E:\\Photos\\2024")
        << QByteArrayList{"mer.bmp"} << QByteArrayList();
    QTest::newRow("held folder gone gives way to its parent")
        << QByteArray("e: [Photos]") << QByteArray("E:\\Photos\\2024") << QByteArray("gone")
        << QByteArray("E:\\Photos\\2024") << QByteArray("E:\\Photos") << QByteArray("E:\\Photos")
        << QByteArrayList() << QByteArrayList();
    QTest::newRow("drive refused by the directory list")
        << QByteArray("a:") << QByteArray() << QByteArray("Dir1.Path=") << QByteArray("A:\\")
        << QByteArray("C:\\") << QByteArray("C:\\") << QByteArrayList{"c.bmp"}
        << QByteArrayList{"Accès refusé : A:\\"};
    QTest::newRow("folder refused by the file list")
        << QByteArray("e:") << QByteArray("E:\\Secret") << QByteArray("File1.FileName=")
        << QByteArray("E:\\Secret") << QByteArray("E:\\Secret") << QByteArray("C:\\")
        << QByteArrayList{"c.bmp"} << QByteArrayList{"Accès refusé : E:\\Secret"};
    // Both lists take the folder and meet the same failure; it is one error, shown once.
    QTest::newRow("drive whose folder cannot be read")
        << QByteArray("a:") << QByteArray() << QByteArray("gone") << QByteArray("A:\\")
        << QByteArray("A:\\") << QByteArray("A:\\") << QByteArrayList()
        << QByteArrayList{"Fichier introuvable : A:\\"};
}

void TestNavigation::driveChangeMovesBothLists() {
    QFETCH(QByteArray, drive);
    QFETCH(QByteArray, heldFolder);
    QFETCH(QByteArray, failingStep);
    QFETCH(QByteArray, refused);
    QFETCH(QByteArray, dirShown);
    QFETCH(QByteArray, shown);
    QFETCH(QByteArrayList, listed);
    QFETCH(QByteArrayList, boxes);

    Window w;
    w.platform.pattern = "*.bmp";
    w.platform.addFiles("C:\\", {"c.bmp", "c.txt"});
    w.platform.addFiles("D:\\", {"d.bmp", "d.txt"});
    w.platform.addFiles("E:\\Photos\\2024", {"mer.bmp"});
    w.platform.showInBothLists("C:\\");
    w.platform.drive = drive.toStdString();
    if (!heldFolder.isEmpty())
        w.platform.heldFolders[heldFolder.left(3).toStdString()] = heldFolder.toStdString();
    if (failingStep == "gone") {
        w.platform.goneFolders.insert(refused.toStdString());
    } else if (!failingStep.isEmpty()) {
        w.platform.failOn(failingStep.toStdString(),
                          PlatformError(ErrorKind::AccessDenied, refused.toStdString()));
    }

    w.runEvent(&Handlers::driveChanged);
    QCOMPARE(QByteArray::fromStdString(w.platform.dirPathValue), dirShown);
    QCOMPARE(QByteArray::fromStdString(w.platform.filePathValue), shown);
    QCOMPARE(lines(w.platform.listedNames), listed);
    QCOMPARE(QByteArray::fromStdString(w.platform.pattern), QByteArray("*.bmp"));
    QByteArrayList shownBoxes;
    for (const ShownDialog &box : w.dialogs.shown())
        shownBoxes << QByteArray::fromStdString(box.prompt);
    QCOMPARE(shownBoxes, boxes);
}

void TestNavigation::applyFilter_data() {
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QByteArrayList>("listed");
    QTest::addColumn<QByteArrayList>("boxes");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("extension") << QByteArray(".bmp") << QByteArray("*.bmp")
                               << QByteArrayList{"a.bmp"} << QByteArrayList() << QByteArray("4");
    QTest::newRow("full name") << QByteArray("rapport.doc") << QByteArray("*rapport.doc")
                               << QByteArrayList{"rapport.doc"} << QByteArrayList()
                               << QByteArray("4");
    QTest::newRow("single blank is not empty")
        << QByteArray(" ") << QByteArray("* ") << QByteArrayList{"blanc "} << QByteArrayList()
        << QByteArray("4");
    QTest::newRow("empty box refused")
        << QByteArray("") << QByteArray("*.txt") << QByteArrayList{"b.txt"}
        << QByteArrayList{EmptyPatternBox} << QByteArray("1");
}

void TestNavigation::applyFilter() {
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, pattern);
    QFETCH(QByteArrayList, listed);
    QFETCH(QByteArrayList, boxes);
    QFETCH(QByteArray, reply);

    Window w;
    w.platform.pattern = "*.txt";
    w.platform.addFiles("C:\\Images", {"a.bmp", "b.txt", "blanc ", "rapport.doc"});
    w.platform.showInBothLists("C:\\Images");
    w.platform.texts[0] = typed.toStdString();
    w.platform.msgBoxAnswers = {AnswerOk};
    w.vars.Reply = AnswerRetry; // left by an earlier box

    QCOMPARE(runHandler(w.handlers, &Handlers::applyFilter), QByteArray());
    QCOMPARE(QByteArray::fromStdString(w.platform.pattern), pattern);
    QCOMPARE(lines(w.platform.listedNames), listed);
    QCOMPARE(lines(w.platform.boxes), boxes);
    QCOMPARE(describe(w.vars.Reply), reply);
    QCOMPARE(describe(w.vars.Entry), QByteArray("empty"));
}

void TestNavigation::filterKeptAcrossChanges_data() {
    QTest::addColumn<QByteArray>("action");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<QByteArrayList>("listed");

    QTest::newRow("folder opened in the directory list")
        << QByteArray("folder") << QByteArray("C:\\Images\\Vacances")
        << QByteArrayList{"plage.bmp"};
    QTest::newRow("drive chosen") << QByteArray("drive") << QByteArray("D:\\")
                                  << QByteArrayList{"d.bmp"};
    QTest::newRow("file list left")
        << QByteArray("left") << QByteArray("C:\\Images") << QByteArrayList{"a.bmp"};
    QTest::newRow("empty box refused afterwards")
        << QByteArray("empty") << QByteArray("C:\\Images") << QByteArrayList{"a.bmp"};
}

void TestNavigation::filterKeptAcrossChanges() {
    QFETCH(QByteArray, action);
    QFETCH(QByteArray, shown);
    QFETCH(QByteArrayList, listed);

    Window w;
    w.platform.addFiles("C:\\Images", {"a.bmp", "a.txt"});
    w.platform.addFiles("C:\\Images\\Vacances", {"plage.bmp", "plage.txt"});
    w.platform.addFiles("D:\\", {"d.bmp", "d.txt"});
    w.platform.showInBothLists("C:\\Images");
    w.platform.texts[0] = ".bmp";
    w.handlers.applyFilter();

    w.platform.drive = "d:";
    w.platform.msgBoxAnswers = {AnswerOk};
    if (action == "folder") {
        w.platform.setDirPath("C:\\Images\\Vacances");
    } else if (action == "drive") {
        w.handlers.driveChanged();
    } else if (action == "left") {
        w.handlers.fileListLeft();
    } else {
        w.platform.texts[0] = "";
        w.handlers.applyFilter();
    }
    QCOMPARE(QByteArray::fromStdString(w.platform.pattern), QByteArray("*.bmp"));
    QCOMPARE(QByteArray::fromStdString(w.platform.filePathValue), shown);
    QCOMPARE(lines(w.platform.listedNames), listed);
}

void TestNavigation::fileListLeftEmptiesBoxes_data() {
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QByteArray>("size");

    QTest::newRow("details shown") << QByteArray("08/12/2026 07:32:51") << QByteArray("1234");
    QTest::newRow("boxes already empty") << QByteArray() << QByteArray();
}

void TestNavigation::fileListLeftEmptiesBoxes() {
    QFETCH(QByteArray, date);
    QFETCH(QByteArray, size);

    Window w;
    w.platform.texts = {".txt", date.toStdString(), size.toStdString()};
    w.handlers.fileListLeft();
    QCOMPARE(lines({w.platform.texts.begin(), w.platform.texts.end()}),
             (QByteArrayList{".txt", "", ""}));
}

QTEST_GUILESS_MAIN(TestNavigation)
#include "tst_navigation.moc"
