// The window's pictures: the committed files are exactly what the generator makes, the
// embedded ones are the committed ones, and their headers say what the window relies on
// (the background: 499 x 264, 8 bits per pixel, 256 greys, RLE8, 3790 x 3800 pixels per
// metre; the icon: 32 x 32 in 16 colours, first in the icon file). The icon at every size is
// the same drawing, sharp, not a scaled blur. `make install` puts the program, its desktop
// entry, its metainfo, its manual page and its icon at each size where the desktop finds them.

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstdint>

namespace {

QString sourceDir() {
    return qEnvironmentVariable("QUERVELLE_SOURCE_DIR");
}
QString binaryDir() {
    return qEnvironmentVariable("QUERVELLE_BINARY_DIR");
}

// The committed picture of the icon at one size.
QString iconFile(int size) {
    return size == 32 ? QStringLiteral("quervelle.png")
                      : QStringLiteral("icons/quervelle-%1.png").arg(size);
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

std::uint32_t le(const QByteArray &bytes, int offset, int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = (v << 8) | std::uint8_t(bytes.at(offset + i));
    return v;
}

// Walks an RLE8 stream strictly: every row must hold exactly width pixels and end with an
// end-of-line, the last with the end of the bitmap; no delta jumps. Returns the rows decoded
// (bottom row first) or an empty list with why set.
QList<QByteArray> strictRle8(const QByteArray &data, int width, int height, QString &why) {
    QList<QByteArray> rows;
    QByteArray row;
    int i = 0;
    auto fail = [&](const QString &text) {
        why = QStringLiteral("%1 at byte %2, row %3").arg(text).arg(i).arg(rows.size());
        return QList<QByteArray>();
    };
    while (i + 1 < data.size()) {
        const auto count = std::uint8_t(data[i]);
        const auto value = std::uint8_t(data[i + 1]);
        i += 2;
        if (count > 0) {
            row.append(QByteArray(count, char(value)));
        } else if (value == 0 || value == 1) {
            if (row.size() != width)
                return fail(QStringLiteral("row of %1 pixels").arg(row.size()));
            rows.append(row);
            row.clear();
            if (value == 1) {
                if (rows.size() != height)
                    return fail(QStringLiteral("end of bitmap after %1 rows").arg(rows.size()));
                if (i != data.size())
                    return fail(QStringLiteral("bytes after the end of bitmap"));
                return rows;
            }
        } else if (value == 2) {
            return fail(QStringLiteral("delta"));
        } else {
            if (i + value > data.size())
                return fail(QStringLiteral("absolute run past the end"));
            row.append(data.mid(i, value));
            i += value + (value % 2); // padded to a 16-bit boundary
        }
    }
    return fail(QStringLiteral("no end of bitmap"));
}

} // namespace

class TestAssets : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void generatedEqualsCommitted_data();
    void generatedEqualsCommitted();
    void backgroundHeader_data();
    void backgroundHeader();
    void backgroundPalette();
    void backgroundStream();
    void backgroundPixels();
    void iconHeader_data();
    void iconHeader();
    void iconPictures();
    void iconImages_data();
    void iconImages();
    void iconSizes_data();
    void iconSizes();
    void installTree_data();
    void installTree();

private:
    QTemporaryDir m_generated;
    QTemporaryDir m_again; // a second run, which must give the same bytes
    QByteArray m_bmp;
};

void TestAssets::initTestCase() {
    QVERIFY2(!sourceDir().isEmpty() && !binaryDir().isEmpty(),
             "run through CTest, which tells the test where the sources and the build are");
    QVERIFY(m_generated.isValid() && m_again.isValid());
#ifdef Q_OS_WIN
    const QString generator = binaryDir() + QStringLiteral("/quervelle_generate_assets.exe");
#else
    const QString generator = binaryDir() + QStringLiteral("/quervelle_generate_assets");
#endif
    QVERIFY2(QFile::exists(generator), qPrintable(generator + " is not built"));
    QProcess run;
    for (const QTemporaryDir *dir : {&m_generated, &m_again}) {
        run.start(generator, {dir->path()});
        QVERIFY(run.waitForFinished(120000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 0);
    }
    run.start(generator, {QStringLiteral("--uncompressed"), m_generated.filePath("raw.bmp")});
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitCode(), 0);
    m_bmp = readAll(sourceDir() + QStringLiteral("/assets/background.bmp"));
    QVERIFY(m_bmp.size() > 1078);
}

void TestAssets::generatedEqualsCommitted_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("embedded");
    QTest::newRow("background") << "background.bmp" << true;
    QTest::newRow("icon") << "quervelle.ico" << true;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        QTest::addRow("desktop icon %d", size) << iconFile(size) << (size == 32);
}

void TestAssets::generatedEqualsCommitted() {
    QFETCH(QString, name);
    QFETCH(bool, embedded);
    const QByteArray generated = readAll(m_generated.filePath(name));
    const QByteArray committed = readAll(sourceDir() + QStringLiteral("/assets/") + name);
    QVERIFY(!generated.isEmpty());
    QVERIFY2(generated == committed,
             "the committed file is not the generator's output: run the regenerate_assets target");
    if (embedded)
        QVERIFY2(readAll(QStringLiteral(":/quervelle/") + name) == committed,
                 "the program embeds another picture than the committed one");
    // Nothing depends on the time or the machine.
    QCOMPARE(readAll(m_again.filePath(name)), generated);
}

void TestAssets::backgroundHeader_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("size");
    QTest::addColumn<qint64>("expected"); // -1: the file's size; -2: the pixel data's size
    QTest::newRow("signature BM") << 0 << 2 << qint64(0x4d42);
    QTest::newRow("file size") << 2 << 4 << qint64(-1);
    QTest::newRow("pixel data offset") << 10 << 4 << qint64(14 + 40 + 1024);
    QTest::newRow("info header size") << 14 << 4 << qint64(40);
    QTest::newRow("width") << 18 << 4 << qint64(499);
    QTest::newRow("height, bottom-up") << 22 << 4 << qint64(264);
    QTest::newRow("planes") << 26 << 2 << qint64(1);
    QTest::newRow("bits per pixel") << 28 << 2 << qint64(8);
    QTest::newRow("compression RLE8") << 30 << 4 << qint64(1);
    QTest::newRow("pixel data size") << 34 << 4 << qint64(-2);
    QTest::newRow("pixels per metre across") << 38 << 4 << qint64(3790);
    QTest::newRow("pixels per metre down") << 42 << 4 << qint64(3800);
    QTest::newRow("colours used") << 46 << 4 << qint64(256);
}

void TestAssets::backgroundHeader() {
    QFETCH(int, offset);
    QFETCH(int, size);
    QFETCH(qint64, expected);
    if (expected == -1)
        expected = m_bmp.size();
    if (expected == -2)
        expected = m_bmp.size() - 1078;
    QCOMPARE(qint64(le(m_bmp, offset, size)), expected);
}

void TestAssets::backgroundPalette() {
    // 256 entries, all grey, from the end of the header to the pixel data.
    QCOMPARE(int(le(m_bmp, 10, 4)) - 54, 256 * 4);
    for (int i = 0; i < 256; ++i) {
        const int at = 54 + 4 * i;
        QCOMPARE(m_bmp[at], m_bmp[at + 1]);
        QCOMPARE(m_bmp[at + 1], m_bmp[at + 2]);
        QCOMPARE(m_bmp[at + 3], char(0));
    }
}

void TestAssets::backgroundStream() {
    QString why;
    const QList<QByteArray> rows = strictRle8(m_bmp.mid(1078), 499, 264, why);
    QVERIFY2(!rows.isEmpty(), qPrintable(why));
    // The stream says the same as the uncompressed reference, row for row.
    const QByteArray raw = readAll(m_generated.filePath("raw.bmp"));
    QCOMPARE(le(raw, 30, 4), 0u);
    for (int y = 0; y < 264; ++y)
        QCOMPARE(rows[y], raw.mid(1078 + y * 500, 499));
    // Run-length coding earns its place: smaller than the 132,000 uncompressed bytes.
    QVERIFY(m_bmp.size() - 1078 < 132000);
}

void TestAssets::backgroundPixels() {
    const QImage picture(QStringLiteral(":/quervelle/background.bmp"));
    QVERIFY2(!picture.isNull(), "Qt cannot read the RLE8 background");
    QCOMPARE(picture.size(), QSize(499, 264));
    QCOMPARE(picture, QImage(m_generated.filePath("raw.bmp")));

    double sum = 0, sumSquares = 0, along = 0, across = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            QVERIFY2(c.red() == c.green() && c.green() == c.blue(), "a pixel that is not grey");
            sum += c.red();
            sumSquares += c.red() * c.red();
            if (x > 0)
                along += std::abs(c.red() - picture.pixelColor(x - 1, y).red());
            if (y > 0)
                across += std::abs(c.red() - picture.pixelColor(x, y - 1).red());
        }
    }
    const double n = double(picture.width()) * picture.height();
    const double mean = sum / n;
    const double deviation = std::sqrt(sumSquares / n - mean * mean);
    QVERIFY2(mean > 120 && mean < 210, qPrintable(QString::number(mean))); // a mid grey
    QVERIFY2(deviation > 3, "a flat picture, no texture"); // a texture, not a flat fill
    // Brushed: neighbours along a row differ much less than neighbours across rows.
    QVERIFY2(along * 2 < across, qPrintable(QStringLiteral("%1 %2").arg(along).arg(across)));
}

void TestAssets::iconHeader_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("size");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("reserved") << 0 << 2 << qint64(0);
    QTest::newRow("type icon") << 2 << 2 << qint64(1);
    QTest::newRow("six images") << 4 << 2 << qint64(6);
    // The first image is the window's: 32 x 32 in 16 colours.
    QTest::newRow("width 32") << 6 << 1 << qint64(32);
    QTest::newRow("height 32") << 7 << 1 << qint64(32);
    QTest::newRow("16 colours") << 8 << 1 << qint64(16);
    QTest::newRow("entry bits per pixel") << 12 << 2 << qint64(4);
    QTest::newRow("image byte count") << 14 << 4 << qint64(40 + 16 * 4 + 32 * 16 + 32 * 4);
    QTest::newRow("image offset, after the directory") << 18 << 4 << qint64(6 + 6 * 16);
    QTest::newRow("image header size") << 102 << 4 << qint64(40);
    QTest::newRow("image height with its mask") << 110 << 4 << qint64(64);
    QTest::newRow("image bits per pixel") << 116 << 2 << qint64(4);
    QTest::newRow("image colours") << 134 << 4 << qint64(16);
}

void TestAssets::iconHeader() {
    QFETCH(int, offset);
    QFETCH(int, size);
    QFETCH(qint64, expected);
    const QByteArray ico = readAll(sourceDir() + QStringLiteral("/assets/quervelle.ico"));
    QVERIFY(ico.size() > offset + size);
    QCOMPARE(qint64(le(ico, offset, size)), expected);
}

void TestAssets::iconPictures() {
    const QImage ico(QStringLiteral(":/quervelle/quervelle.ico"));
    const QImage png(QStringLiteral(":/quervelle/quervelle.png"));
    QVERIFY2(!ico.isNull(), "Qt cannot read the icon (image format plugin missing?)");
    QCOMPARE(ico.size(), QSize(32, 32));
    QCOMPARE(png.convertToFormat(QImage::Format_ARGB32),
             ico.convertToFormat(QImage::Format_ARGB32));
    int transparent = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            transparent += qAlpha(ico.pixel(x, y)) == 0;
    QVERIFY(transparent > 0 && transparent < 32 * 32 / 2); // a shape, not a square or nothing
}

void TestAssets::iconImages_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("bitsPerPixel");
    QTest::newRow("32, 16 colours, first") << 0 << 32 << 4;
    QTest::newRow("16, 16 colours") << 1 << 16 << 4;
    QTest::newRow("24, 16 colours") << 2 << 24 << 4;
    QTest::newRow("48, true colour") << 3 << 48 << 32;
    QTest::newRow("64, true colour") << 4 << 64 << 32;
    QTest::newRow("256, PNG") << 5 << 256 << 32;
}

// Each picture of the icon file is said right in its directory entry, and is the same picture
// as the desktop icon of its size.
void TestAssets::iconImages() {
    QFETCH(int, index);
    QFETCH(int, size);
    QFETCH(int, bitsPerPixel);
    const QByteArray ico = readAll(sourceDir() + QStringLiteral("/assets/quervelle.ico"));
    const int entry = 6 + 16 * index;
    QCOMPARE(int(le(ico, entry, 1)), size % 256); // 256 is written 0
    QCOMPARE(int(le(ico, entry + 1, 1)), size % 256);
    QCOMPARE(int(le(ico, entry + 2, 1)), bitsPerPixel == 4 ? 16 : 0);
    QCOMPARE(int(le(ico, entry + 6, 2)), bitsPerPixel);
    const qint64 end = qint64(le(ico, entry + 12, 4)) + le(ico, entry + 8, 4);
    QVERIFY(end <= ico.size());
    if (size == 256)
        QVERIFY(ico.mid(int(le(ico, entry + 12, 4)), 4) == "\x89PNG");

    QImageReader reader(QStringLiteral(":/quervelle/quervelle.ico"));
    QCOMPARE(reader.imageCount(), 6);
    QVERIFY(reader.jumpToImage(index));
    const QImage picture = reader.read();
    QCOMPARE(picture.size(), QSize(size, size));
    const QImage desktop(sourceDir() + QStringLiteral("/assets/") + iconFile(size));
    QCOMPARE(picture.convertToFormat(QImage::Format_ARGB32),
             desktop.convertToFormat(QImage::Format_ARGB32));
}

void TestAssets::iconSizes_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<double>("blended"); // most pixels, in percent, of mixed colour
    for (int size : {16, 24, 32})
        QTest::addRow("%d, drawn pixel by pixel", size) << size << 0.0;
    for (int size : {48, 64, 128, 256})
        QTest::addRow("%d, drawn from the shapes", size) << size << 8.0;
}

// Sharp: edges fall on whole pixels, so nearly every pixel is one of the design's colours or
// transparent (a smooth enlargement of the 32 x 32 picture mixes about half of them). The
// same drawing: brought down to 32 x 32 it differs little from the design (a mirrored
// drawing differs by more than 25).
void TestAssets::iconSizes() {
    QFETCH(int, size);
    QFETCH(double, blended);
    const QImage picture = QImage(sourceDir() + QStringLiteral("/assets/") + iconFile(size))
                               .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(picture.size(), QSize(size, size));
    const QImage design = QImage(QStringLiteral(":/quervelle/quervelle.ico"))
                              .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QList<QRgb> colours; // those of the design
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (qAlpha(design.pixel(x, y)) == 255 && !colours.contains(design.pixel(x, y)))
                colours.append(design.pixel(x, y));
    int mixed = 0, transparent = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const QRgb p = picture.pixel(x, y);
            transparent += qAlpha(p) == 0;
            mixed += qAlpha(p) != 0 && (qAlpha(p) != 255 || !colours.contains(p));
        }
    QVERIFY2(100.0 * mixed / (size * size) <= blended, qPrintable(QString::number(mixed)));
    QVERIFY(transparent > 0 && transparent < size * size / 2); // a shape, not a square
    if (size < 48)
        return; // the small ones are drawn by hand, pixel by pixel
    const QImage reduced = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                               .scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double difference = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb a = reduced.pixel(x, y), b = design.pixel(x, y);
            difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                          std::abs(qBlue(a) - qBlue(b)) + std::abs(qAlpha(a) - qAlpha(b));
        }
    difference /= 32 * 32 * 4;
    QVERIFY2(difference < 20, qPrintable(QString::number(difference)));
}

void TestAssets::installTree_data() {
#ifdef Q_OS_WIN
    QSKIP("the install tree checked here is the Linux desktop's; the Windows program ships as a "
          "zip, checked from Linux under wine (tests/wine)");
#endif
    QTest::addColumn<QString>("installed");
    QTest::newRow("program") << "bin/quervelle";
    QTest::newRow("desktop entry") << "share/applications/io.github.quervelle.quervelle.desktop";
    QTest::newRow("metainfo") << "share/metainfo/io.github.quervelle.quervelle.metainfo.xml";
    QTest::newRow("manual page") << "share/man/man1/quervelle.1.gz";
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        QTest::addRow("icon %d", size)
            << QStringLiteral("share/icons/hicolor/%1x%1/apps/quervelle.png").arg(size);
}

void TestAssets::installTree() {
    QFETCH(QString, installed);
    QTemporaryDir prefix;
    QProcess install;
    install.start(QStringLiteral("cmake"), {QStringLiteral("--install"), binaryDir(),
                                            QStringLiteral("--prefix"), prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
    QVERIFY2(QFile::exists(prefix.filePath(installed)), qPrintable(installed));

    // The entry starts the installed program and names the installed icon.
    QSettings entry(prefix.filePath("share/applications/io.github.quervelle.quervelle.desktop"),
                    QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    QCOMPARE(entry.value("Type").toString(), QStringLiteral("Application"));
    QCOMPARE(entry.value("Name").toString(), QStringLiteral("Quervelle de fichiers"));
    QVERIFY(QFile::exists(prefix.filePath("bin/" + entry.value("Exec").toString())));
    QVERIFY(QFile::exists(prefix.filePath("share/icons/hicolor/32x32/apps/" +
                                          entry.value("Icon").toString() + ".png")));
}

QTEST_MAIN(TestAssets)
#include "tst_assets.moc"
