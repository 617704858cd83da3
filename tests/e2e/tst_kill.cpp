// "Kill" through the real window on a real X server, with Qt's own dialogs: on a middle drive,
// choosing the drive moves both lists, clicking a file shows its details, "Kill" asks, OK
// deletes exactly that file from the disk and the list; "Fermer" then ends the program.

#include "platform/controls/dirlistbox.h"
#include "platform/controls/drivelistbox.h"
#include "platform/controls/filelistbox.h"
#include "window/quervelle.h"

#include "support/fsfixture.h"
#include "support/windowboxes.h"
#include "support/xvfb.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace quervelle;

class TestKill : public QObject {
    Q_OBJECT

private slots:
    void killOnMiddleDrive_data();
    void killOnMiddleDrive();
};

void TestKill::killOnMiddleDrive_data() {
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("OK deletes") << QMessageBox::Ok << true;
    QTest::newRow("Cancel keeps") << QMessageBox::Cancel << false;
}

void TestKill::killOnMiddleDrive() {
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, deleted);
    QTemporaryDir dir;
    const std::string root = test::fsPath(dir);
    const std::string notes = test::fsJoin(root, "notes.txt");
    QVERIFY(test::fsWriteFile(notes, "1234567890"));
    QVERIFY(test::fsWriteFile(test::fsJoin(root, "keep.txt"), "keep"));

    Quervelle window; // with Qt's real message boxes
    auto *drive1 = window.findChild<DriveListBox *>(QStringLiteral("Drive1"));
    auto *dir1 = window.findChild<DirListBox *>(QStringLiteral("Dir1"));
    auto *file1 = window.findChild<FileListBox *>(QStringLiteral("File1"));
    const std::string last = root + "-last-drive";
    drive1->setDrives({Drive{"/", {}}, Drive{root, {}}, Drive{last, {}}});
    drive1->selectDriveFor("/");
    dir1->setDriveRoots({"/", root, last});
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // The user picks the middle drive: both lists follow in one action.
    drive1->setFocus();
    QTest::keyClick(drive1, Qt::Key_Down);
    QCOMPARE(drive1->listIndex(), 1);
    QCOMPARE(dir1->path(), root);
    QCOMPARE(file1->path(), root);
    QCOMPARE(file1->listCount(), 2);

    // Clicking the file shows its details (a middle drive).
    const QModelIndexList rows =
        file1->model()->match(file1->model()->index(0, 0), Qt::DisplayRole,
                              QStringLiteral("notes.txt"), 1, Qt::MatchFixedString);
    QVERIFY(!rows.isEmpty());
    QTest::mouseClick(file1->viewport(), Qt::LeftButton, {},
                      file1->visualRect(rows.first()).center());
    QCOMPARE(file1->fileName(), std::string("notes.txt"));
    QCOMPARE(window.findChild<QLineEdit *>(QStringLiteral("Text3"))->text(), QStringLiteral("10"));
    QVERIFY(!window.findChild<QLineEdit *>(QStringLiteral("Text2"))->text().isEmpty());

    test::WindowBoxAnswerer boxes;
    boxes.answer(answer);
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("Command3")), Qt::LeftButton);
    QCOMPARE(boxes.seen().size(), qsizetype(1));
    QVERIFY2(boxes.seen().first().startsWith(QStringLiteral("Confirmation|Effacer le fichier ?|")),
             qPrintable(boxes.seen().first()));

    QCOMPARE(test::fsExists(notes), !deleted);
    QVERIFY(test::fsExists(test::fsJoin(root, "keep.txt")));
    QCOMPARE(file1->listCount(), deleted ? 1 : 2);
    QCOMPARE(file1->model()
                 ->match(file1->model()->index(0, 0), Qt::DisplayRole, QStringLiteral("notes.txt"),
                         1, Qt::MatchFixedString)
                 .isEmpty(),
             deleted);
    // Leaving the list for the button emptied the details.
    QCOMPARE(window.findChild<QLineEdit *>(QStringLiteral("Text3"))->text(), QString());

    // "Fermer": the only window goes, which ends the program.
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    for (const QWidget *w : QApplication::topLevelWidgets())
        QVERIFY2(!w->isVisible(), qPrintable(w->objectName())); // nothing keeps the program up
    QCOMPARE(boxes.seen().size(), qsizetype(1));                // no question before closing
}

int main(int argc, char *argv[]) {
    if (!quervelle::test::startXvfbForThisProcess())
        return 1;
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false); // the test goes on after "Fermer"
    TestKill test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kill.moc"
