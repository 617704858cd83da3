// The window's design font at the sizes the window uses, as its em in pixels at 96 dots per
// inch: 8 points are 11 pixels, 12 points 16. On Windows the font is Windows' own raster
// "MS Sans Serif", whose pictures reach Qt through its private font database: if a Qt upgrade
// changes that database, the pictures come one size too large and this test fails, saying why.

#include "window/fonts.h"
#ifdef Q_OS_WIN
#include "window/windows/qtfontregistry.h"
#endif

#include <QFontInfo>
#include <QTest>

class TestFonts : public QObject {
    Q_OBJECT
private slots:
    void qtReadsFontsAsExpected();
    void designFont_data();
    void designFont();
};

void TestFonts::qtReadsFontsAsExpected() {
#ifdef Q_OS_WIN
    QVERIFY2(quervelle::registerRasterFacesByEm(QStringLiteral("Quervelle, essai"), {}),
             "Qt no longer reads fonts through its GDI font database (QWindowsFontDatabase): "
             "the raster pictures of the design font cannot be registered by their em; see "
             "src/window/windows/qtfontregistry.cpp");
    QCOMPARE(quervelle::installFontSubstitution(), QStringLiteral("MS Sans Serif"));
#else
    // Elsewhere the design font is mapped to an installed metric twin.
    const QString family = quervelle::installFontSubstitution();
    QVERIFY2(family == QStringLiteral("Liberation Sans") || family == QStringLiteral("Arimo") ||
                 family == QStringLiteral("MS Sans Serif"),
             qPrintable(family));
#endif
}

void TestFonts::designFont_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<int>("em");

    QTest::newRow("8 points") << 8 << false << 11;
    QTest::newRow("8 points, bold") << 8 << true << 11;
    QTest::newRow("12 points") << 12 << false << 16;
    QTest::newRow("12 points, bold") << 12 << true << 16;
}

void TestFonts::designFont() {
    QFETCH(int, points);
    QFETCH(bool, bold);
    QFETCH(int, em);

    const QFontInfo info(quervelle::designFont(points, bold));
    QCOMPARE(info.pixelSize(), em);
    QCOMPARE(info.bold(), bold);
}

QTEST_MAIN(TestFonts)
#include "tst_fonts.moc"
