// The Windows program as a user runs it: the shipped folder started under wine on a private X
// server, its window as it appears, and the file commands through that window (xdotool clicks
// and keys; each box found by its title, its message read as Windows copies it, and answered by
// a key), with what is on disk checked after each. The drives are wine's own, C: and Z: (the
// Linux root, last of the list), and E:, which the test links to a folder of its own, so that
// the list reads c:, e:, z:.

#include "support/designpoints.h"
#include "support/picturecompare.h"
#include "support/wine/winesession.h"
#include "support/xvfb.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace quervelle::test;

namespace {

const QString Title = QStringLiteral("Quervelle de fichiers");

// The buttons the tests press, at their design places.
namespace design = quervelle::design;
using design::Place;
const QMap<QString, Place> Buttons = {{QStringLiteral("Kill"), design::Command3},
                                      {QStringLiteral("Créer dossier"), design::Command4},
                                      {QStringLiteral("RmDir"), design::Command6},
                                      {QStringLiteral("Exécuter"), design::Command5}};

// A box expected: its title, its message (empty: not read, as for the input box), what is
// typed into it, and the key that answers it.
struct Box {
    QString title, message, typed, key;
};

QString windowsBuild() {
    return qEnvironmentVariable("QUERVELLE_WINDOWS_BUILD");
}

QString bundledProgram() {
    return windowsBuild() + QStringLiteral("/bundle/quervelle/quervelle.exe");
}

QStringList namesIn(const QString &folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                               QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

Q_DECLARE_METATYPE(QList<Box>)

class TestWineProgram : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void window();
    void window144Dpi();
    void commands_data();
    void commands();

private:
    QString folder(const QString &where) const; // "c", "e/dossier", "z/dernier" as on Linux
    bool startProgram(const QString &where);
    void closeByFermer();

    WinePrefix m_prefix{qEnvironmentVariable("QUERVELLE_BINARY_DIR") +
                        QStringLiteral("/wine/program-prefix")};
    QTemporaryDir m_disks;
    XUser m_user{qEnvironmentVariable("DISPLAY")};
    QProcess m_program;
    QString m_window;
};

void TestWineProgram::initTestCase() {
    QVERIFY2(m_prefix.make(), qPrintable(m_prefix.error()));
    QVERIFY(m_disks.isValid());
    QVERIFY(QDir(m_disks.path()).mkpath(QStringLiteral("e")));
    QVERIFY(m_prefix.linkDrive('e', m_disks.filePath(QStringLiteral("e"))));
    QVERIFY2(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("version")}) == 0,
             "xdotool is missing (package xdotool; make test-windows installs it)");
}

// The same files before every case: on C:\ (the prefix's own drive, whose system folders stay),
// in E:\dossier, and in a folder of Z:, the last drive.
void TestWineProgram::init() {
    const QString c = folder(QStringLiteral("c"));
    for (const char *name :
         {"effacer.txt", "garder.txt", "lecture seule.txt", "probe.exe", "probe.exe.ran"})
        QFile::remove(c + u'/' + QLatin1String(name));
    QDir(c + QStringLiteral("/Nouveau dossier")).removeRecursively();
    QDir(c + QStringLiteral("/Exemples")).removeRecursively();
    QVERIFY(writeFile(c + QStringLiteral("/effacer.txt"), "12345"));
    QVERIFY(writeFile(c + QStringLiteral("/garder.txt"), "garder"));
    const QString readOnly = c + QStringLiteral("/lecture seule.txt");
    QVERIFY(writeFile(readOnly, "lecture seule"));
    // Without write permission, wine gives the file the read-only attribute.
    QVERIFY(
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(QFile::copy(windowsBuild() + QStringLiteral("/quervelle_probe.exe"),
                        c + QStringLiteral("/probe.exe")));

    for (const char *drive : {"e", "z"}) {
        QDir root(m_disks.filePath(QLatin1String(drive)));
        QVERIFY(root.removeRecursively() && QDir().mkpath(root.path()));
    }
    const QString e = folder(QStringLiteral("e/dossier"));
    QVERIFY(QDir().mkpath(e));
    for (const char *name : {"à effacer.txt", "garder.txt", "t.txt", "t.txt "})
        QVERIFY(writeFile(e + u'/' + QString::fromUtf8(name), name));
    QVERIFY(QDir().mkpath(folder(QStringLiteral("e/vide"))));
    const QString z = folder(QStringLiteral("z/dernier"));
    QVERIFY(QDir().mkpath(z));
    QVERIFY(writeFile(z + QStringLiteral("/garder.txt"), "garder"));
}

QString TestWineProgram::folder(const QString &where) const {
    if (where == u'c' || where.startsWith(QStringLiteral("c/")))
        return m_prefix.driveC() + where.mid(1);
    return m_disks.filePath(where); // e/ is E:\, z/ a folder of Z:\ (the Linux root)
}

bool TestWineProgram::startProgram(const QString &where) {
    m_prefix.start(m_program, bundledProgram(), folder(where), qEnvironmentVariable("DISPLAY"));
    if (!m_program.waitForStarted(30000))
        return false;
    m_window = m_user.waitForWindow(Title, 60000, {}, &m_program);
    return !m_window.isEmpty();
}

// "Fermer" ends the program, without a question, and no other window was left open.
void TestWineProgram::closeByFermer() {
    QTest::qWait(500); // a box the last action would bring has come by now
    const QStringList titles = m_user.visibleWindows().values();
    QVERIFY2(titles == QStringList{Title}, qPrintable(titles.join(QStringLiteral(" | "))));
    QVERIFY(m_user.click(m_window, centre(design::Command1)));
    QVERIFY2(m_program.waitForFinished(30000), "the program went on after Fermer");
    QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program.exitCode(), 0);
}

// The window at its design size, as the user sees it at 96 dots per inch: the picture is written
// to screenshots/quervelle-wine.png in the build folder, the background drawn unscaled from the
// top-left corner shows in the empty areas, the folder list's pictures are 16 px with rows 18 px
// apart, and the whole window matches tests/e2e/reference/quervelle-wine.png (written instead
// when QUERVELLE_WRITE_REFERENCES=1, by make reference-pictures).
void TestWineProgram::window() {
    const QString start = folder(QStringLiteral("c/Exemples"));
    for (const char *sub : {"Documents", "Images"})
        QVERIFY(QDir().mkpath(start + u'/' + QLatin1String(sub)));
    for (const char *file : {"lisez-moi.txt", "notes.txt", "fond.bmp", "budget 2026.xls"})
        QVERIFY(writeFile(start + u'/' + QLatin1String(file), {}));
    QVERIFY2(startProgram(QStringLiteral("c/Exemples")),
             "no window titled \"Quervelle de fichiers\"");
    QCOMPARE(m_user.size(m_window), QSize(461, 262));

    QTest::qWait(1000); // drawn
    const QImage shot = QGuiApplication::primaryScreen()
                            ->grabWindow(m_window.toULongLong())
                            .toImage()
                            .convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shot.size(), QSize(461, 262));
    const QString saved =
        qEnvironmentVariable("QUERVELLE_BINARY_DIR") + QStringLiteral("/screenshots");
    QVERIFY(QDir().mkpath(saved));
    QVERIFY(shot.save(saved + QStringLiteral("/quervelle-wine.png")));
    std::printf("screenshot: %s/quervelle-wine.png\n", qPrintable(saved));
    const QImage picture(qEnvironmentVariable("QUERVELLE_SOURCE_DIR") +
                         QStringLiteral("/assets/background.bmp"));
    QVERIFY(!picture.isNull());
    for (const QPoint at : {QPoint(0, 0), QPoint(200, 5), QPoint(300, 50), QPoint(185, 150),
                            QPoint(455, 100), QPoint(300, 228), QPoint(460, 261)})
        QVERIFY2(shot.pixelColor(at) == picture.pixelColor(at),
                 qPrintable(QStringLiteral("(%1, %2)").arg(at.x()).arg(at.y())));

    // The two sub-folders, at depth 2, below the highlighted start folder: their pictures.
    const int column = design::Dir1.left / 15 + 2 * 12 + 2;
    const QList<QRect> pictures = bluePictures(
        shot, QRect(column, design::Dir1.top / 15 + 2, 14, design::Dir1.height / 15 - 4));
    QVERIFY2(pictures.size() >= 2, qPrintable(QString::number(pictures.size())));
    const QRect documents = pictures[pictures.size() - 2];
    const QRect images = pictures.last();
    QCOMPARE(images.top() - documents.top(), 18);
    QVERIFY2(documents.height() <= 16 && images.height() <= 16,
             qPrintable(QStringLiteral("%1, %2").arg(documents.height()).arg(images.height())));

    const QString reference = qEnvironmentVariable("QUERVELLE_SOURCE_DIR") +
                              QStringLiteral("/tests/e2e/reference/quervelle-wine.png");
    if (qEnvironmentVariableIntValue("QUERVELLE_WRITE_REFERENCES") == 1) {
        QVERIFY(shot.save(reference));
        std::printf("reference written: %s\n", qPrintable(reference));
    } else {
        const QImage expected(reference);
        QVERIFY2(!expected.isNull(),
                 qPrintable(reference + QStringLiteral(" is missing; make reference-pictures")));
        // Same tolerance as the Linux pictures: antialiased edges only.
        const PictureDifference difference = comparePictures(shot, expected, 24);
        QVERIFY2(difference.sameSize && difference.differing == 0,
                 qPrintable(QStringLiteral("%1 pixels differ from %2, within x %3..%4, y %5..%6; "
                                           "%7")
                                .arg(difference.differing)
                                .arg(reference)
                                .arg(difference.where.left())
                                .arg(difference.where.right())
                                .arg(difference.where.top())
                                .arg(difference.where.bottom())
                                .arg(saveDifference(saved, QStringLiteral("quervelle-wine"), shot,
                                                    difference))));
    }
    closeByFermer();
}

// At 144 dots per inch (a prefix of its own, its LogPixels set as Windows' display settings set
// it), the window is drawn at 1.5 times its design size, every caption whole: written to
// screenshots/quervelle-wine-144dpi.png in the build folder.
void TestWineProgram::window144Dpi() {
    WinePrefix prefix(qEnvironmentVariable("QUERVELLE_BINARY_DIR") +
                      QStringLiteral("/wine/dpi144-prefix"));
    QVERIFY2(prefix.make(), qPrintable(prefix.error()));
    for (const char *key : {"HKCU\\Control Panel\\Desktop", "HKCC\\Software\\Fonts"})
        QCOMPARE(prefix.wine({QStringLiteral("reg"), QStringLiteral("add"), QLatin1String(key),
                              QStringLiteral("/v"), QStringLiteral("LogPixels"),
                              QStringLiteral("/t"), QStringLiteral("REG_DWORD"),
                              QStringLiteral("/d"), QStringLiteral("144"), QStringLiteral("/f")}),
                 0);
    prefix.endSession(); // reg ran without a display
    const QString start = prefix.driveC() + QStringLiteral("/Exemples");
    for (const char *sub : {"Documents", "Images"})
        QVERIFY(QDir().mkpath(start + u'/' + QLatin1String(sub)));
    for (const char *file : {"lisez-moi.txt", "notes.txt", "fond.bmp", "budget 2026.xls"})
        QVERIFY(writeFile(start + u'/' + QLatin1String(file), {}));
    prefix.start(m_program, bundledProgram(), start, qEnvironmentVariable("DISPLAY"));
    QVERIFY(m_program.waitForStarted(30000));
    m_window = m_user.waitForWindow(Title, 60000, {}, &m_program);
    QVERIFY2(!m_window.isEmpty(), "no window titled \"Quervelle de fichiers\"");
    QCOMPARE(m_user.size(m_window), QSize(692, 393));

    QTest::qWait(1000); // drawn
    const QImage shot = QGuiApplication::primaryScreen()
                            ->grabWindow(m_window.toULongLong())
                            .toImage()
                            .convertToFormat(QImage::Format_RGB32);
    const QString saved =
        qEnvironmentVariable("QUERVELLE_BINARY_DIR") + QStringLiteral("/screenshots");
    QVERIFY(QDir().mkpath(saved));
    QVERIFY(shot.save(saved + QStringLiteral("/quervelle-wine-144dpi.png")));
    std::printf("screenshot: %s/quervelle-wine-144dpi.png\n", qPrintable(saved));
    // Every button's caption is whole: its ink (dark on the button's face) is there, and stays
    // clear of the button's sides, where a caption too wide for it is cut.
    QMap<QString, Place> buttons = Buttons;
    buttons.insert(QStringLiteral("Fermer"), design::Command1);
    for (auto it = buttons.cbegin(); it != buttons.cend(); ++it) {
        const Place &c = it.value();
        // Inside the two-pixel bevel; a cut caption runs to the first columns within it.
        const QRect face =
            QRect(c.left / 10, c.top / 10, c.width / 10, c.height / 10).adjusted(2, 6, -2, -6);
        auto inkIn = [&](int fromX, int toX) {
            int ink = 0;
            for (int x = fromX; x <= toX; ++x)
                for (int y = face.top(); y <= face.bottom(); ++y)
                    ink += qGray(shot.pixel(x, y)) < 100;
            return ink;
        };
        QVERIFY2(inkIn(face.left() + 8, face.right() - 8) > 20, qPrintable(it.key()));
        QVERIFY2(inkIn(face.left(), face.left() + 1) == 0,
                 qPrintable(it.key() + QStringLiteral(" cut")));
        QVERIFY2(inkIn(face.right() - 1, face.right()) == 0,
                 qPrintable(it.key() + QStringLiteral(" cut")));
    }
    QVERIFY(m_user.click(m_window, QPoint(618, 42))); // "Fermer", at 1.5 times its place
    QVERIFY2(m_program.waitForFinished(30000), "the program went on after Fermer");
    QCOMPARE(m_program.exitCode(), 0);
}

void TestWineProgram::commands_data() {
    QTest::addColumn<QString>("start");        // the start folder, as folder() names it
    QTest::addColumn<int>("drivesDown");       // Down keys in Drive1 before acting
    QTest::addColumn<bool>("openFirstFolder"); // then Dir1's first sub-folder opened
    QTest::addColumn<QString>("pattern");      // typed in Text1, then the first file clicked
    QTest::addColumn<QString>("button");
    QTest::addColumn<QList<Box>>("boxes"); // in the order they come
    QTest::addColumn<QString>("acted");    // the folder that changes, or not
    QTest::addColumn<QStringList>("gone");
    QTest::addColumn<QStringList>("made");
    QTest::addColumn<QString>("ran"); // what the probe program wrote, when it ran

    const QString effacer = QStringLiteral("Effacer le fichier ?");
    const Box confirm{QStringLiteral("Confirmation"), effacer, {}, QStringLiteral("Return")};
    const Box refused{QStringLiteral("Erreur d'accès"),
                      QStringLiteral("Ecriture impossible, le CD-Rom n'est pas accessible en "
                                     "écriture !"),
                      {},
                      QStringLiteral("Return")};
    auto named = [](const QString &name) {
        return Box{QStringLiteral("Précision"), {}, name, QStringLiteral("Return")};
    };
    const QString kill = QStringLiteral("Kill"), make = QStringLiteral("Créer dossier");

    // C:\ is in the root sets: the name follows the root with no separator of its own.
    QTest::newRow("Kill in C:\\") << "c" << 0 << false << "effacer.txt" << kill
                                  << QList<Box>{confirm} << "c" << QStringList{"effacer.txt"}
                                  << QStringList{} << "";
    QTest::newRow("Kill answered Cancel")
        << "c" << 0 << false << "effacer.txt" << kill
        << QList<Box>{{QStringLiteral("Confirmation"), effacer, {}, QStringLiteral("Escape")}}
        << "c" << QStringList{} << QStringList{} << "";
    // What the system refuses is told with the path as composed: one separator after C:.
    QTest::newRow("Kill of a read-only file in C:\\ names C:\\lecture seule.txt")
        << "c" << 0 << false << "seule.txt" << kill
        << QList<Box>{confirm,
                      {Title,
                       QStringLiteral("Accès refusé (fichier en lecture seule) : "
                                      "C:\\lecture seule.txt"),
                       {},
                       QStringLiteral("Return")}}
        << "c" << QStringList{} << QStringList{} << "";
    QTest::newRow("Exécuter in C:\\ starts C:\\probe.exe")
        << "c" << 0 << false << ".exe" << QStringLiteral("Exécuter") << QList<Box>{} << "c"
        << QStringList{} << QStringList{"probe.exe.ran"} << "2|\"C:\\probe.exe\"|C:\\";
    QTest::newRow("Créer dossier in C:\\")
        << "c" << 0 << false << "" << make << QList<Box>{named(QStringLiteral("Nouveau dossier"))}
        << "c" << QStringList{} << QStringList{"Nouveau dossier"} << "";
    // The drive after c: is e:; a folder of it is opened through Dir1.
    QTest::newRow("Kill in a folder of the drive after c:")
        << "c" << 1 << true << "effacer.txt" << kill << QList<Box>{confirm} << "e/dossier"
        << QStringList{"à effacer.txt"} << QStringList{} << "";
    QTest::newRow("Kill of a name ending in a space, beside its twin")
        << "e/dossier" << 0 << false << "t.txt " << kill << QList<Box>{confirm} << "e/dossier"
        << QStringList{"t.txt "} << QStringList{} << "";
    QTest::newRow("Créer dossier, a name ending in a space")
        << "e/dossier" << 0 << false << "" << make << QList<Box>{named(QStringLiteral("sp "))}
        << "e/dossier" << QStringList{} << QStringList{"sp "} << "";
    QTest::newRow("Créer dossier with no name, then Cancel")
        << "e/dossier" << 0 << false << "" << make
        << QList<Box>{named({}),
                      {QStringLiteral("Erreur d'accès"),
                       QStringLiteral("Nom du nouveau dossier indispensable !"),
                       {},
                       QStringLiteral("Escape")}}
        << "e/dossier" << QStringList{} << QStringList{} << "";
    // Windows refuses to remove a folder that a program works in: the program must hold none.
    QTest::newRow("RmDir of the empty start folder removes it")
        << "e/vide" << 0 << false << "" << QStringLiteral("RmDir")
        << QList<Box>{{QStringLiteral("Confirmation"),
                       QStringLiteral("supprimer le dossier ?"),
                       {},
                       QStringLiteral("Return")}}
        << "e" << QStringList{"vide"} << QStringList{} << "";
    // Z: is the last drive: taken for the CD-ROM, it refuses to be written.
    QTest::newRow("Kill on the last drive is refused")
        << "z/dernier" << 0 << false << "garder.txt" << kill << QList<Box>{confirm, refused}
        << "z/dernier" << QStringList{} << QStringList{} << "";
    QTest::newRow("Créer dossier on the last drive is refused")
        << "z/dernier" << 0 << false << "" << make
        << QList<Box>{named(QStringLiteral("refus")), refused} << "z/dernier" << QStringList{}
        << QStringList{} << "";
}

void TestWineProgram::commands() {
    QFETCH(QString, start);
    QFETCH(int, drivesDown);
    QFETCH(bool, openFirstFolder);
    QFETCH(QString, pattern);
    QFETCH(QString, button);
    QFETCH(QList<Box>, boxes);
    QFETCH(QString, acted);
    QFETCH(QStringList, gone);
    QFETCH(QStringList, made);
    QFETCH(QString, ran);

    const QString actedFolder = folder(acted);
    QStringList expected = namesIn(actedFolder);
    for (const QString &name : gone)
        QVERIFY2(expected.removeOne(name),
                 qPrintable(name + QStringLiteral(" is not there first")));
    expected += made;
    expected.sort();

    QVERIFY2(startProgram(start), "no window titled \"Quervelle de fichiers\"");
    if (drivesDown > 0) {
        QVERIFY(m_user.click(m_window, centre(design::Drive1))); // opens the list, read afresh
        QVERIFY(m_user.key(QStringLiteral("Escape")));
        for (int i = 0; i < drivesDown; ++i)
            QVERIFY(m_user.key(QStringLiteral("Down")));
    }
    if (openFirstFolder) {
        QVERIFY(m_user.click(m_window, firstRow(design::Dir1))); // the root, highlighted
        QVERIFY(m_user.key(QStringLiteral("Down")));
        QVERIFY(m_user.key(QStringLiteral("Return")));
    }
    if (!pattern.isEmpty()) {
        QVERIFY(m_user.click(m_window, centre(design::Text1)));
        QVERIFY(m_user.type(pattern));
        QVERIFY(m_user.key(QStringLiteral("Return")));
        QVERIFY(m_user.click(m_window, firstRow(design::File1)));
    }
    QVERIFY(m_user.click(m_window, centre(Buttons.value(button))));
    for (const Box &box : boxes) {
        const QString id = m_user.waitForWindow(box.title, 30000, m_window);
        QVERIFY2(!id.isEmpty(), qPrintable(QStringLiteral("no box titled ") + box.title));
        if (!box.message.isEmpty())
            QCOMPARE(m_user.boxMessage(), box.message);
        if (!box.typed.isEmpty())
            QVERIFY(m_user.type(box.typed));
        QVERIFY(m_user.key(box.key));
        QVERIFY2(m_user.waitUntilClosed(id), qPrintable(box.title + QStringLiteral(" stays")));
    }
    if (!ran.isEmpty()) {
        QFile report(actedFolder + QStringLiteral("/probe.exe.ran"));
        QTRY_VERIFY_WITH_TIMEOUT(report.exists() && report.size() > 0, 30000);
        QVERIFY(report.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(report.readAll()), ran);
    }
    closeByFermer();
    QCOMPARE(namesIn(actedFolder), expected);
}

void TestWineProgram::cleanup() {
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished(30000);
    }
}

int main(int argc, char *argv[]) {
    if (!QFile::exists(bundledProgram())) {
        std::printf("SKIP: no Windows program at %s. It is cross-built with the Qt for Windows "
                    "kit (../shared/qt6-mingw/ beside the checkout), by the preset "
                    "windows-cross-qt, which make test-windows runs when the kit is there.\n",
                    qPrintable(bundledProgram()));
        return 77;
    }
    if (!startXvfbForThisProcess())
        return 1;
    QGuiApplication app(argc, argv);
    TestWineProgram test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_program.moc"
