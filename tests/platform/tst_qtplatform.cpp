// The Qt platform's own conversions: dates in the user's regional format, text boxes as
// UTF-8, 16-bit counts, the separator and the drive text of this system.

#include "platform/controls/dirlistbox.h"
#include "platform/controls/drivelistbox.h"
#include "platform/controls/filelistbox.h"
#include "platform/datetext.h"
#include "platform/qtplatform.h"

#include "support/dialogscript.h"

#include <QDateTime>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include <ctime>

namespace {

#ifdef Q_OS_WIN
constexpr bool Windows = true;
#else
constexpr bool Windows = false;
#endif

qint64 utc(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC).toSecsSinceEpoch();
}

void setTimeZone(const QByteArray &tz) {
    qputenv("TZ", tz);
    ::tzset();
}

} // namespace

class TestQtPlatform : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase() { setTimeZone("UTC0"); }
    void dateText_data();
    void dateText();
    void textBoxes();
    void driveSlot();
};

void TestQtPlatform::dateText_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QByteArray>("tz");
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("expected");

    const QLocale fr(QLocale::French, QLocale::France);
    const QLocale de(QLocale::German, QLocale::Germany);
    const qint64 now = utc(2026, 12, 8, 7, 32, 51);
    QTest::newRow("French") << fr << QByteArray("UTC0") << now
                            << QStringLiteral("08/12/2026 07:32:51");
    QTest::newRow("French, local time two hours east")
        << fr << QByteArray("QRV-2") << now << QStringLiteral("08/12/2026 09:32:51");
    QTest::newRow("1950-06-01") << fr << QByteArray("UTC0") << utc(1950, 6, 1, 0, 0, 0)
                                << QStringLiteral("01/06/1950 00:00:00");
    QTest::newRow("1969-12-31 23:59:59")
        << fr << QByteArray("UTC0") << qint64(-1) << QStringLiteral("31/12/1969 23:59:59");
    QTest::newRow("2400-01-01") << fr << QByteArray("UTC0") << utc(2400, 1, 1, 0, 0, 0)
                                << QStringLiteral("01/01/2400 00:00:00");
    // German short dates have a two-digit year: widened, so 1950 is not read as 2050.
    QTest::newRow("German, 1950") << de << QByteArray("UTC0") << utc(1950, 6, 1, 13, 5, 9)
                                  << QStringLiteral("01.06.1950 13:05:09");
}

void TestQtPlatform::dateText() {
    QFETCH(QLocale, locale);
    QFETCH(QByteArray, tz);
    QFETCH(qint64, seconds);
    QFETCH(QString, expected);
    setTimeZone(tz);
    QCOMPARE(QString::fromStdString(quervelle::dateText({seconds}, locale)), expected);
}

void TestQtPlatform::textBoxes() {
    QLineEdit t1, t2, t3;
    quervelle::test::DialogScript dialogs;
    quervelle::QtPlatform platform({nullptr, nullptr, nullptr, &t1, &t2, &t3}, dialogs, {});
    QCOMPARE(platform.separator(), Windows ? '\\' : '/');
    platform.setText(quervelle::TextBox::Text2, "08/12/2026 07:32:51");
    platform.setText(quervelle::TextBox::Text3, "5368709120");
    QCOMPARE(t2.text(), QStringLiteral("08/12/2026 07:32:51"));
    QCOMPARE(t3.text(), QStringLiteral("5368709120"));
    // Each box shows what the program wrote from its start, even where it is wider than the box.
    QCOMPARE(t2.cursorPosition(), 0);
    QCOMPARE(t3.cursorPosition(), 0);
    t1.setText(QString::fromUtf8("* é"));
    QCOMPARE(platform.text(quervelle::TextBox::Text1), std::string("* \xC3\xA9"));
}

void TestQtPlatform::driveSlot() {
    quervelle::DriveListBox drives;
    if (Windows) {
        drives.setDrives({{"C:\\", ""}, {"E:\\", ""}, {"G:\\", "USB"}});
        drives.selectDriveFor("G:\\photos");
    } else {
        drives.setDrives({{"/", ""}, {"/home", ""}, {"/mnt/usb", "USB"}});
        drives.selectDriveFor("/mnt/usb/photos");
    }
    quervelle::test::DialogScript dialogs;
    quervelle::QtPlatform platform({&drives, nullptr, nullptr, nullptr, nullptr, nullptr}, dialogs,
                                   {});
    QCOMPARE(platform.driveDrive(), std::string(Windows ? "g: [USB]" : "/mnt/usb"));
    QCOMPARE(platform.driveListIndex(), std::int16_t(2));
    QCOMPARE(platform.driveListCount(), std::int16_t(3));
}

QTEST_MAIN(TestQtPlatform)
#include "tst_qtplatform.moc"
