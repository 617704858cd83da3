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
    QTest::addColumn<QByteArray>("drive");
    QTest::addColumn<QByteArray>("heldFolder"); // empty: the drive's root is shown
    QTest::addColumn<QByteArray>("failingStep");
    QTest::addColumn<QByteArray>("shown"); // File1's folder afterwards
    QTest::addColumn<QByteArrayList>("calls");
    QTest::addColumn<QByteArrayList>("boxes"); // the errors shown, once each

    QTest::newRow("drive at its root")
        << QByteArray("d:\\") << QByteArray() << QByteArray() << QByteArray("d:\\")
        << QByteArrayList{"Drive1.Drive?", "Dir1.Path=d:\\", "Dir1.Path?", "File1.FileName=d:\\"}
        << QByteArrayList();
    QTest::newRow("drive with a held folder")
        << QByteArray("E:\\") << QByteArray("E:\\Photos\\2024") << QByteArray()
        << QByteArray("E:\\Photos\\2024")
        << QByteArrayList{"Drive1.Drive?", "Dir1.Path=E:\\", "Dir1.Path?",
                          "File1.FileName=E:\\Photos\\2024"}
        << QByteArrayList();
    QTest::newRow("drive refused by the directory list")
        << QByteArray("a:\\") << QByteArray() << QByteArray("Dir1.Path=") << QByteArray("C:\\")
        << QByteArrayList{"Drive1.Drive?", "Dir1.Path=a:\\"}
        << QByteArrayList{"Accès refusé : a:\\"};
    QTest::newRow("folder refused by the file list")
        << QByteArray("E:\\") << QByteArray("E:\\Secret") << QByteArray("File1.FileName=")
        << QByteArray("C:\\")
        << QByteArrayList{"Drive1.Drive?", "Dir1.Path=E:\\", "Dir1.Path?",
                          "File1.FileName=E:\\Secret"}
        << QByteArrayList{"Accès refusé : E:\\Secret"};
    // Both lists take the folder and meet the same failure; it is one error, shown once.
    QTest::newRow("drive whose folder cannot be read")
        << QByteArray("a:\\") << QByteArray() << QByteArray("gone") << QByteArray("a:\\")
        << QByteArrayList{"Drive1.Drive?", "Dir1.Path=a:\\", "Dir1.Path?", "File1.FileName=a:\\"}
        << QByteArrayList{"Fichier introuvable : a:\\"};
}

void TestNavigation::driveChangeMovesBothLists() {
    QFETCH(QByteArray, drive);
    QFETCH(QByteArray, heldFolder);
    QFETCH(QByteArray, failingStep);
    QFETCH(QByteArray, shown);
    QFETCH(QByteArrayList, calls);
    QFETCH(QByteArrayList, boxes);

    Window w;
    w.platform.dirPathValue = w.platform.filePathValue = "C:\\";
    w.platform.pattern = "*.bmp";
    w.platform.drive = drive.toStdString();
    if (!heldFolder.isEmpty())
        w.platform.heldFolders[drive.toStdString()] = heldFolder.toStdString();
    const QByteArray refused = heldFolder.isEmpty() ? drive : heldFolder;
    if (failingStep == "gone") {
        w.platform.goneFolders.insert(refused.toStdString());
    } else if (!failingStep.isEmpty()) {
        w.platform.failOn(failingStep.toStdString(),
                          PlatformError(ErrorKind::AccessDenied, refused.toStdString()));
    }

    w.runEvent(&Handlers::driveChanged);
    QCOMPARE(lines(w.platform.calls), calls);
    QCOMPARE(QByteArray::fromStdString(w.platform.filePathValue), shown);
    // The lists agree (a failure made to strike File1 strikes before it takes the folder).
    if (failingStep != "File1.FileName=")
        QCOMPARE(w.platform.dirPathValue, w.platform.filePathValue);
    QCOMPARE(QByteArray::fromStdString(w.platform.pattern), QByteArray("*.bmp"));
    QByteArrayList shownBoxes;
    for (const ShownDialog &box : w.dialogs.shown())
        shownBoxes << QByteArray::fromStdString(box.prompt);
    QCOMPARE(shownBoxes, boxes);
}

void TestNavigation::applyFilter_data() {
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QByteArrayList>("calls");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("extension") << QByteArray(".bmp") << QByteArray("*.bmp")
                               << QByteArrayList{"Text1.Text?", "Text1.Text?",
                                                 "File1.Pattern=*.bmp"}
                               << QByteArray("4");
    QTest::newRow("full name") << QByteArray("rapport.doc") << QByteArray("*rapport.doc")
                               << QByteArrayList{"Text1.Text?", "Text1.Text?",
                                                 "File1.Pattern=*rapport.doc"}
                               << QByteArray("4");
    QTest::newRow("single blank is not empty")
        << QByteArray(" ") << QByteArray("* ")
        << QByteArrayList{"Text1.Text?", "Text1.Text?", "File1.Pattern=* "} << QByteArray("4");
    QTest::newRow("empty box refused")
        << QByteArray("") << QByteArray("*.txt") << QByteArrayList{"Text1.Text?", EmptyPatternBox}
        << QByteArray("1");
}

void TestNavigation::applyFilter() {
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, pattern);
    QFETCH(QByteArrayList, calls);
    QFETCH(QByteArray, reply);

    Window w;
    w.platform.pattern = "*.txt";
    w.platform.texts[0] = typed.toStdString();
    w.platform.msgBoxAnswers = {AnswerOk};
    w.vars.Reply = AnswerRetry; // left by an earlier box

    QCOMPARE(runHandler(w.handlers, &Handlers::applyFilter), QByteArray());
    QCOMPARE(lines(w.platform.calls), calls);
    QCOMPARE(QByteArray::fromStdString(w.platform.pattern), pattern);
    QCOMPARE(describe(w.vars.Reply), reply);
    QCOMPARE(describe(w.vars.Entry), QByteArray("empty"));
}

void TestNavigation::filterKeptAcrossChanges_data() {
    QTest::addColumn<QByteArray>("action");

    QTest::newRow("folder opened in the directory list") << QByteArray("folder");
    QTest::newRow("drive chosen") << QByteArray("drive");
    QTest::newRow("file list left") << QByteArray("left");
    QTest::newRow("empty box refused afterwards") << QByteArray("empty");
}

void TestNavigation::filterKeptAcrossChanges() {
    QFETCH(QByteArray, action);

    Window w;
    w.platform.dirPathValue = w.platform.filePathValue = "C:\\Images";
    w.platform.texts[0] = ".bmp";
    w.handlers.applyFilter();

    w.platform.drive = "D:\\";
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
    QCOMPARE(lines(w.platform.callsStartingWith({"File1.Pattern="})),
             QByteArrayList{"File1.Pattern=*.bmp"});
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
    QCOMPARE(lines(w.platform.calls), (QByteArrayList{"Text2.Text=", "Text3.Text="}));
    QCOMPARE(lines({w.platform.texts.begin(), w.platform.texts.end()}),
             (QByteArrayList{".txt", "", ""}));
}

QTEST_GUILESS_MAIN(TestNavigation)
#include "tst_navigation.moc"
