#include "logic/handlers.h"
#include "support/scriptedplatform.h"

#include <QTest>

using namespace quervelle;
using quervelle::test::runHandler;
using quervelle::test::ScriptedPlatform;

namespace {

constexpr std::int64_t Seconds = 1796715171; // 2026-12-08 07:32:51 UTC
const QByteArray DateShown = "date 1796715171";

} // namespace

class TestDetails : public QObject {
    Q_OBJECT
private slots:
    void fileClicked_data();
    void fileClicked();
    void failingQueryEndsHandler_data();
    void failingQueryEndsHandler();
};

void TestDetails::fileClicked_data() {
    QTest::addColumn<QByteArray>("folder"); // Dir1 and File1 both show it
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("listIndex");
    QTest::addColumn<int>("listCount");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QByteArray>("queried"); // the full path, or empty when nothing is read
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QByteArray>("size");
    QTest::addColumn<QByteArray>("error");

    const QByteArray keptDate = "01/01/2020 10:00:00";
    const QByteArray keptSize = "77";
    QTest::newRow("middle drive, 1234 bytes")
        << QByteArray("C:\\Temp") << QByteArray("notes.txt") << 1 << 3 << qint64(1234)
        << QByteArray("C:\\Temp\\notes.txt") << DateShown << QByteArray("1234") << QByteArray();
    QTest::newRow("0 bytes") << QByteArray("C:\\Temp") << QByteArray("vide.txt") << 2 << 4
                             << qint64(0) << QByteArray("C:\\Temp\\vide.txt") << DateShown
                             << QByteArray("0") << QByteArray();
    QTest::newRow("5 GiB") << QByteArray("C:\\Temp") << QByteArray("disque.img") << 1 << 3
                           << qint64(5) * 1024 * 1024 * 1024 << QByteArray("C:\\Temp\\disque.img")
                           << DateShown << QByteArray("5368709120") << QByteArray();
    QTest::newRow("2 GiB, past 32 bits")
        << QByteArray("C:\\Temp") << QByteArray("film.avi") << 1 << 3 << qint64(2147483648)
        << QByteArray("C:\\Temp\\film.avi") << DateShown << QByteArray("2147483648")
        << QByteArray();
    QTest::newRow("C:\\ root") << QByteArray("C:\\") << QByteArray("notes.txt") << 1 << 3
                               << qint64(5) << QByteArray("C:\\notes.txt") << DateShown
                               << QByteArray("5") << QByteArray();
    QTest::newRow("D:\\ root, two backslashes")
        << QByteArray("D:\\") << QByteArray("notes.txt") << 1 << 3 << qint64(5)
        << QByteArray("D:\\\\notes.txt") << DateShown << QByteArray("5") << QByteArray();
    QTest::newRow("first drive shows nothing")
        << QByteArray("C:\\Temp") << QByteArray("notes.txt") << 0 << 3 << qint64(5) << QByteArray()
        << keptDate << keptSize << QByteArray();
    QTest::newRow("last drive shows nothing")
        << QByteArray("C:\\Temp") << QByteArray("notes.txt") << 2 << 3 << qint64(5) << QByteArray()
        << keptDate << keptSize << QByteArray();
    QTest::newRow("one-drive list shows nothing")
        << QByteArray("C:\\Temp") << QByteArray("notes.txt") << 0 << 1 << qint64(5) << QByteArray()
        << keptDate << keptSize << QByteArray();
    QTest::newRow("index 32767 overflows")
        << QByteArray("C:\\Temp") << QByteArray("notes.txt") << 32767 << 32767 << qint64(5)
        << QByteArray() << keptDate << keptSize << QByteArray("overflow");
}

void TestDetails::fileClicked() {
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, name);
    QFETCH(int, listIndex);
    QFETCH(int, listCount);
    QFETCH(qint64, length);
    QFETCH(QByteArray, queried);
    QFETCH(QByteArray, date);
    QFETCH(QByteArray, size);
    QFETCH(QByteArray, error);

    ScriptedPlatform platform;
    WindowVariables vars;
    Handlers handlers(platform, vars);
    platform.dirPathValue = platform.filePathValue = folder.toStdString();
    platform.fileNameValue = name.toStdString();
    platform.listIndex = static_cast<std::int16_t>(listIndex);
    platform.listCount = static_cast<std::int16_t>(listCount);
    platform.texts = {".txt", "01/01/2020 10:00:00", "77"};
    // Details are known only under the path the handler must ask for; where it must ask for
    // nothing they are known under the file's plain path, so that a read would show in the boxes.
    const std::string path = queried.isEmpty() ? folder.toStdString() + "\\" + name.toStdString()
                                               : queried.toStdString();
    platform.fileDates[path] = FileDate{Seconds};
    platform.fileLengths[path] = length;

    QCOMPARE(runHandler(handlers, &Handlers::fileClicked), error);
    QCOMPARE(QByteArray::fromStdString(platform.texts[1]), date);
    QCOMPARE(QByteArray::fromStdString(platform.texts[2]), size);
}

void TestDetails::failingQueryEndsHandler_data() {
    QTest::addColumn<QByteArray>("failingStep");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QByteArray>("error");

    // The boxes are emptied before the reads: the other file's date and size never stay.
    QTest::newRow("file gone at the date step")
        << QByteArray("fileDateTime") << int(ErrorKind::NotFound) << QByteArray()
        << QByteArray("Fichier introuvable : C:\\Temp\\notes.txt");
    QTest::newRow("access denied at the date step")
        << QByteArray("fileDateTime") << int(ErrorKind::AccessDenied) << QByteArray()
        << QByteArray("Accès refusé : C:\\Temp\\notes.txt");
    QTest::newRow("file gone at the size step")
        << QByteArray("fileLen") << int(ErrorKind::NotFound) << DateShown
        << QByteArray("Fichier introuvable : C:\\Temp\\notes.txt");
}

void TestDetails::failingQueryEndsHandler() {
    QFETCH(QByteArray, failingStep);
    QFETCH(int, kind);
    QFETCH(QByteArray, date);
    QFETCH(QByteArray, error);

    ScriptedPlatform platform;
    WindowVariables vars;
    Handlers handlers(platform, vars);
    platform.dirPathValue = platform.filePathValue = "C:\\Temp";
    platform.fileNameValue = "notes.txt";
    platform.texts = {"", "ancienne date", "ancienne taille"};
    platform.fileDates["C:\\Temp\\notes.txt"] = FileDate{Seconds};
    platform.fileLengths["C:\\Temp\\notes.txt"] = 1234;
    platform.failOn(failingStep.toStdString(),
                    PlatformError(static_cast<ErrorKind>(kind), "C:\\Temp\\notes.txt"));

    QCOMPARE(runHandler(handlers, &Handlers::fileClicked), error);
    QCOMPARE(QByteArray::fromStdString(platform.texts[1]), date);
    QCOMPARE(QByteArray::fromStdString(platform.texts[2]), QByteArray());
}

QTEST_GUILESS_MAIN(TestDetails)
#include "tst_details.moc"
