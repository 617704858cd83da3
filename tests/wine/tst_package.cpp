// The zip as a user gets it: one folder holding the program, the Qt and runtime libraries it
// loads and the Windows platform plugin, nothing else; unpacked into a fresh wine prefix, where
// nothing else of Qt or of the compiler is to be found, the program starts and shows its window,
// and "Fermer" ends it.

#include "support/wine/winesession.h"
#include "support/xvfb.h"

#include <QFile>
#include <QGuiApplication>
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

} // namespace

class TestWinePackage : public QObject {
    Q_OBJECT

private slots:
    void contents();
    void startsInFreshPrefix();
};

void TestWinePackage::contents() {
    QProcess list;
    list.start(cmake(), {QStringLiteral("-E"), QStringLiteral("tar"), QStringLiteral("tf"), zip()});
    QVERIFY(list.waitForFinished(60000));
    QCOMPARE(list.exitCode(), 0);
    QStringList entries =
        QString::fromUtf8(list.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    entries.sort();
    const QStringList expected = {
        "quervelle/",
        "quervelle/Qt6Core.dll",
        "quervelle/Qt6Gui.dll",
        "quervelle/Qt6Widgets.dll",
        "quervelle/libgcc_s_seh-1.dll",
        "quervelle/libstdc++-6.dll",
        "quervelle/libwinpthread-1.dll",
        "quervelle/platforms/",
        "quervelle/platforms/qwindows.dll",
        "quervelle/quervelle.exe",
    };
    QCOMPARE(entries, expected);
}

void TestWinePackage::startsInFreshPrefix() {
    WinePrefix prefix(qEnvironmentVariable("QUERVELLE_BINARY_DIR") +
                      QStringLiteral("/wine/fresh-prefix"));
    QVERIFY2(prefix.make(true), qPrintable(prefix.error()));
    QCOMPARE(QProcess::execute(cmake(), {QStringLiteral("-E"), QStringLiteral("chdir"),
                                         prefix.driveC(), cmake(), QStringLiteral("-E"),
                                         QStringLiteral("tar"), QStringLiteral("xf"), zip()}),
             0);

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
