// The zip as a user gets it: one folder holding the program, the Qt and runtime libraries it
// loads, the Windows platform plugin, the licence and the notices naming every library shipped,
// nothing else; unpacked into a fresh wine prefix, where nothing else of Qt or of the compiler is
// to be found, the program starts and shows its window, and "Fermer" ends it. The program's
// version resource and manifest, as Windows reads them.

#include "support/wine/winesession.h"
#include "support/xvfb.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace quervelle::test;

namespace {

QString zip() {
    return qEnvironmentVariable("QUERVELLE_WINDOWS_BUILD") +
           QStringLiteral("/quervelle-windows-x64.zip");
}

QString cmake() {
    return qEnvironmentVariable("QUERVELLE_CMAKE");
}

QStringList zipEntries() {
    QProcess list;
    list.start(cmake(), {QStringLiteral("-E"), QStringLiteral("tar"), QStringLiteral("tf"), zip()});
    if (!list.waitForFinished(60000) || list.exitCode() != 0)
        return {};
    QStringList entries =
        QString::fromUtf8(list.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    entries.sort();
    return entries;
}

// The zip unpacked into folder; false when it cannot be.
bool unpack(const QString &folder) {
    return QProcess::execute(cmake(), {QStringLiteral("-E"), QStringLiteral("chdir"), folder,
                                       cmake(), QStringLiteral("-E"), QStringLiteral("tar"),
                                       QStringLiteral("xf"), zip()}) == 0;
}

QString readText(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestWinePackage : public QObject {
    Q_OBJECT

private slots:
    void contents();
    void licence();
    void noticesNameEveryLibrary();
    void versionResource_data();
    void versionResource();
    void startsInFreshPrefix();

private:
    QTemporaryDir m_unpacked;
};

void TestWinePackage::contents() {
    const QStringList entries = zipEntries();
    const QStringList expected = {
        "quervelle/",
        "quervelle/LICENSE.txt",
        "quervelle/Qt6Core.dll",
        "quervelle/Qt6Gui.dll",
        "quervelle/Qt6Widgets.dll",
        "quervelle/THIRD-PARTY-NOTICES.txt",
        "quervelle/libgcc_s_seh-1.dll",
        "quervelle/libstdc++-6.dll",
        "quervelle/libwinpthread-1.dll",
        "quervelle/platforms/",
        "quervelle/platforms/qwindows.dll",
        "quervelle/quervelle.exe",
    };
    QCOMPARE(entries, expected);
}

// The program's licence, whole, as a Windows user reads it (lines ended by CR LF).
void TestWinePackage::licence() {
    QVERIFY(m_unpacked.isValid() && unpack(m_unpacked.path()));
    const QString shipped = readText(m_unpacked.filePath(QStringLiteral("quervelle/LICENSE.txt")));
    QVERIFY(shipped.startsWith(QStringLiteral("                    GNU GENERAL PUBLIC LICENSE\r\n"
                                              "                       Version 3, 29 June 2007")));
    QString source =
        readText(qEnvironmentVariable("QUERVELLE_SOURCE_DIR") + QStringLiteral("/LICENSE"));
    QCOMPARE(QString(shipped).remove(u'\r'), source);
}

// Every library the zip ships is named in the notices, with the licence it comes under.
void TestWinePackage::noticesNameEveryLibrary() {
    QVERIFY(m_unpacked.isValid() && unpack(m_unpacked.path()));
    const QString notices =
        readText(m_unpacked.filePath(QStringLiteral("quervelle/THIRD-PARTY-NOTICES.txt")));
    QVERIFY(!notices.isEmpty());
    QStringList libraries;
    for (const QString &entry : zipEntries()) {
        if (entry.endsWith(QStringLiteral(".dll"), Qt::CaseInsensitive))
            libraries << entry.section(u'/', -1);
    }
    QCOMPARE(libraries.size(), 7);
    for (const QString &library : libraries)
        QVERIFY2(notices.contains(library), qPrintable(library + QStringLiteral(" is not named")));
    // The texts of the licences named, not only their names.
    for (const char *text : {"GNU LESSER GENERAL PUBLIC LICENSE", "GCC RUNTIME LIBRARY EXCEPTION",
                             "Creative Commons Legal Code", "License: Zlib", "License: libpng",
                             "License: GPL-2+ or FTL", "License: Harfbuzz", "License: expat"})
        QVERIFY2(notices.contains(QLatin1String(text)), text);
}

void TestWinePackage::versionResource_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value"); // the whole value, or for Manifest a part of it
    const QString version = qEnvironmentVariable("QUERVELLE_VERSION");
    QTest::newRow("description") << "FileDescription"
                                 << "Quervelle de fichiers";
    QTest::newRow("product") << "ProductName"
                             << "Quervelle de fichiers";
    QTest::newRow("product version") << "ProductVersion" << version;
    QTest::newRow("file version") << "FileVersion" << version;
    QTest::newRow("file version numbers") << "FixedFileVersion" << version + QStringLiteral(".0.0");
    QTest::newRow("copyright")
        << "LegalCopyright"
        << "Copyright (C) 2026 Les auteurs de Quervelle de fichiers. Licence GPL-3.0-or-later.";
    QTest::newRow("original name") << "OriginalFilename"
                                   << "quervelle.exe";
    // The DPI awareness Qt 6 sets itself when the manifest does not: the two agree.
    QTest::newRow("manifest: per-monitor DPI, version 2")
        << "Manifest"
        << "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/"
           "WindowsSettings\">PerMonitorV2</dpiAwareness>";
    QTest::newRow("manifest: Windows 10 and 11")
        << "Manifest"
        << "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>";
    QTest::newRow("manifest: no administrator rights asked")
        << "Manifest"
        << "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>";
}

// Read back by a Windows program through Windows' own calls (GetFileVersionInfoW,
// FindResourceW), from the program file as shipped.
void TestWinePackage::versionResource() {
    QFETCH(QString, name);
    QFETCH(QString, value);
    static QMap<QString, QString> read;
    if (read.isEmpty()) {
        WinePrefix prefix(qEnvironmentVariable("QUERVELLE_BINARY_DIR") +
                          QStringLiteral("/wine/resources-prefix"));
        QVERIFY2(prefix.make(), qPrintable(prefix.error()));
        const QString build = qEnvironmentVariable("QUERVELLE_WINDOWS_BUILD");
        const QString report = prefix.driveC() + QStringLiteral("/resources.txt");
        QFile::remove(report);
        QCOMPARE(prefix.wine({build + QStringLiteral("/quervelle_resources.exe"),
                              QStringLiteral("Z:") + build +
                                  QStringLiteral("/bundle/quervelle/quervelle.exe"),
                              QStringLiteral("C:\\resources.txt")}),
                 0);
        const QString text = readText(report);
        const qsizetype manifest = text.indexOf(QStringLiteral("Manifest="));
        QVERIFY2(manifest >= 0, qPrintable(text));
        for (const QString &line : text.left(manifest).split(u'\n', Qt::SkipEmptyParts))
            read.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
        read.insert(QStringLiteral("Manifest"), text.mid(manifest + 9));
    }
    if (name == QLatin1String("Manifest"))
        QVERIFY2(read.value(name).contains(value), qPrintable(read.value(name)));
    else
        QCOMPARE(read.value(name), value);
}

void TestWinePackage::startsInFreshPrefix() {
    WinePrefix prefix(qEnvironmentVariable("QUERVELLE_BINARY_DIR") +
                      QStringLiteral("/wine/fresh-prefix"));
    QVERIFY2(prefix.make(true), qPrintable(prefix.error()));
    QVERIFY(unpack(prefix.driveC()));

    const QString display = qEnvironmentVariable("DISPLAY");
    QProcess program;
    prefix.start(program, prefix.driveC() + QStringLiteral("/quervelle/quervelle.exe"),
                 prefix.driveC(), display);
    QVERIFY(program.waitForStarted(30000));
    XUser user(display);
    const QString window =
        user.waitForWindow(QStringLiteral("Quervelle de fichiers"), 60000, {}, &program);
    QVERIFY2(!window.isEmpty(), "no window titled \"Quervelle de fichiers\"");
    QCOMPARE(user.size(window), QSize(461, 262));
    QVERIFY(user.click(window, QPoint(412, 28))); // "Fermer"
    QVERIFY2(program.waitForFinished(30000), "the program went on after Fermer");
    QCOMPARE(program.exitCode(), 0);
}

int main(int argc, char *argv[]) {
    if (!QFile::exists(zip())) {
        std::printf("SKIP: no %s. It is made with the Qt for Windows kit (../shared/qt6-mingw/ "
                    "beside the checkout) by the preset windows-cross-qt, which make "
                    "test-windows and make package-windows run when the kit is there.\n",
                    qPrintable(zip()));
        return 77;
    }
    if (!startXvfbForThisProcess())
        return 1;
    QGuiApplication app(argc, argv);
    TestWinePackage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_package.moc"
