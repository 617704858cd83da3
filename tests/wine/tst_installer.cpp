// The Windows installer as a user runs it, in a fresh wine prefix, with Windows' own installer
// (msiexec, quiet): installed, the files of the zip are in "Program Files\Quervelle de fichiers",
// the Start menu has its entry, the list of installed programs names it with its publisher,
// version and icon, and the installed program shows its window; a higher version installed over
// it leaves one copy, of that version; uninstalled, no file, folder, entry or registry key of
// the program is left. The higher version is the same description made again by wixl with
// another version number, as a release would be.

#include "support/wine/winesession.h"
#include "support/xvfb.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTest>

#include <cstdio>

using namespace quervelle::test;

namespace {

const QString Name = QStringLiteral("Quervelle de fichiers");

QString windowsBuild() {
    return qEnvironmentVariable("QUERVELLE_WINDOWS_BUILD");
}

QString msi() {
    return windowsBuild() + QStringLiteral("/quervelle-") +
           qEnvironmentVariable("QUERVELLE_VERSION") + QStringLiteral("-x64.msi");
}

// A Linux path as wine names it, on Z:.
QString onZ(const QString &path) {
    return QStringLiteral("Z:") + QString(path).replace(u'/', u'\\');
}

// The files under folder, relative to it, sorted.
QStringList filesUnder(const QString &folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

// What a user finds of the program in a prefix.
struct Installed {
    QStringList files;     // under "Program Files\Quervelle de fichiers"
    QStringList shortcuts; // Start-menu entries named for the program, in any user's menu
    QStringList entries;   // installed programs named for it: "publisher|version"
    QStringList icons;     // the icon each installed product shows, as files, when they exist
    bool operator==(const Installed &) const = default;
};

QString show(const Installed &i) {
    return QStringLiteral("files: %1\nshortcuts: %2\nentries: %3\nicons: %4")
        .arg(i.files.join(u' '), i.shortcuts.join(u' '), i.entries.join(u' '), i.icons.join(u' '));
}

// The values of each key `reg query /s` printed, by key.
QMap<QString, QMap<QString, QString>> registryKeys(const QString &text) {
    QMap<QString, QMap<QString, QString>> keys;
    QString key;
    static const QRegularExpression value(QStringLiteral(R"(^\s+(\S.*?)\s+REG_\w+\s*(.*)$)"));
    for (const QString &line : text.split(u'\n')) {
        if (line.startsWith(QStringLiteral("HKEY_"))) {
            key = line.trimmed();
            keys[key];
        } else if (const QRegularExpressionMatch m = value.match(line); m.hasMatch()) {
            keys[key].insert(m.captured(1), m.captured(2).trimmed());
        }
    }
    return keys;
}

} // namespace

class TestWineInstaller : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void install();
    void upgrade();
    void uninstall();

private:
    Installed installed();
    Installed expected(const QString &version) const;
    void showsItsWindow();

    WinePrefix m_prefix{qEnvironmentVariable("QUERVELLE_BINARY_DIR") +
                        QStringLiteral("/wine/installer-prefix")};
    QString m_higher; // the same installer at a higher version
};

void TestWineInstaller::initTestCase() {
    QVERIFY2(m_prefix.make(true), qPrintable(m_prefix.error()));
    m_higher = qEnvironmentVariable("QUERVELLE_BINARY_DIR") +
               QStringLiteral("/wine/quervelle-higher-x64.msi");
    QFile::remove(m_higher);
    QProcess wixl;
    wixl.setWorkingDirectory(windowsBuild());
    wixl.start(QStringLiteral("wixl"),
               {QStringLiteral("-a"), QStringLiteral("x64"), QStringLiteral("-D"),
                QStringLiteral("Version=%1.1").arg(qEnvironmentVariable("QUERVELLE_VERSION")),
                QStringLiteral("-o"), m_higher, QStringLiteral("quervelle.wxs")});
    QVERIFY2(wixl.waitForFinished(300000) && wixl.exitCode() == 0,
             "wixl could not make the higher version (package wixl)");
}

Installed TestWineInstaller::installed() {
    Installed found;
    const QString folder = m_prefix.driveC() + QStringLiteral("/Program Files/") + Name;
    if (QFile::exists(folder))
        found.files = filesUnder(folder);
    QDirIterator it(m_prefix.driveC(), {Name + QStringLiteral(".lnk")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found.shortcuts << QDir(m_prefix.driveC()).relativeFilePath(it.next());
    const auto uninstall = registryKeys(m_prefix.registry(
        QStringLiteral(R"(HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall)")));
    for (const auto &values : uninstall) {
        if (values.value(QStringLiteral("DisplayName")) == Name)
            found.entries << values.value(QStringLiteral("Publisher")) + u'|' +
                                 values.value(QStringLiteral("DisplayVersion"));
    }
    // Windows' list shows the icon the installer published for the product.
    const auto products = registryKeys(
        m_prefix.registry(QStringLiteral(R"(HKLM\Software\Classes\Installer\Products)")));
    for (const auto &values : products) {
        if (values.value(QStringLiteral("ProductName")) != Name)
            continue;
        QString icon = values.value(QStringLiteral("ProductIcon"));
        icon = m_prefix.driveC() + icon.mid(2).replace(u'\\', u'/');
        QFile file(icon);
        QFile design(qEnvironmentVariable("QUERVELLE_SOURCE_DIR") +
                     QStringLiteral("/assets/quervelle.ico"));
        found.icons << ((file.open(QIODevice::ReadOnly) && design.open(QIODevice::ReadOnly) &&
                         file.readAll() == design.readAll())
                            ? QStringLiteral("quervelle.ico")
                            : QStringLiteral("(not the program's icon: %1)").arg(icon));
    }
    return found;
}

Installed TestWineInstaller::expected(const QString &version) const {
    Installed e;
    e.files = filesUnder(windowsBuild() + QStringLiteral("/bundle/quervelle"));
    // Windows puts a machine-wide entry in the menu of every user; wine in the user's own.
    const QString user = qEnvironmentVariable("USER", QStringLiteral("root"));
    e.shortcuts = {QStringLiteral("users/%1/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/")
                       .arg(user) +
                   Name + QStringLiteral(".lnk")};
    e.entries = {QStringLiteral("Les auteurs de Quervelle de fichiers|") + version};
    e.icons = {QStringLiteral("quervelle.ico")};
    return e;
}

void TestWineInstaller::showsItsWindow() {
    m_prefix.endSession(); // the installer ran without a display
    const QString display = qEnvironmentVariable("DISPLAY");
    QProcess program;
    m_prefix.start(program,
                   m_prefix.driveC() + QStringLiteral("/Program Files/") + Name +
                       QStringLiteral("/quervelle.exe"),
                   m_prefix.driveC(), display);
    QVERIFY(program.waitForStarted(30000));
    XUser user(display);
    const QString window = user.waitForWindow(Name, 60000, {}, &program);
    QVERIFY2(!window.isEmpty(),
             qPrintable(QStringLiteral("no window titled \"Quervelle de fichiers\" (%1; %2)")
                            .arg(QStringList(user.visibleWindows().values()).join(u'|'))
                            .arg(program.state() == QProcess::Running
                                     ? QStringLiteral("running")
                                     : QStringLiteral("ended: %1").arg(program.exitCode()))));
    QVERIFY(user.click(window, QPoint(412, 28))); // "Fermer"
    QVERIFY2(program.waitForFinished(30000), "the program went on after Fermer");
    QCOMPARE(program.exitCode(), 0);
}

void TestWineInstaller::install() {
    QVERIFY2(installed() == Installed{}, qPrintable(show(installed())));
    QCOMPARE(m_prefix.wine({QStringLiteral("msiexec"), QStringLiteral("/i"), onZ(msi()),
                            QStringLiteral("/qn")}),
             0);
    const Installed now = installed();
    std::printf("installed:\n%s\n", qPrintable(show(now)));
    const Installed e = expected(qEnvironmentVariable("QUERVELLE_VERSION") + QStringLiteral(".0"));
    QVERIFY2(now == e, qPrintable(show(now) + QStringLiteral("\n--- expected\n") + show(e)));
    showsItsWindow();
}

void TestWineInstaller::upgrade() {
    QCOMPARE(m_prefix.wine({QStringLiteral("msiexec"), QStringLiteral("/i"), onZ(m_higher),
                            QStringLiteral("/qn")}),
             0);
    const Installed now = installed();
    std::printf("upgraded:\n%s\n", qPrintable(show(now)));
    const Installed e = expected(qEnvironmentVariable("QUERVELLE_VERSION") + QStringLiteral(".1"));
    QVERIFY2(now == e, qPrintable(show(now) + QStringLiteral("\n--- expected\n") + show(e)));
    showsItsWindow();
}

void TestWineInstaller::uninstall() {
    QCOMPARE(m_prefix.wine({QStringLiteral("msiexec"), QStringLiteral("/x"), onZ(m_higher),
                            QStringLiteral("/qn")}),
             0);
    const Installed now = installed();
    QVERIFY2(now == Installed{}, qPrintable(show(now)));
    QVERIFY(!QFile::exists(m_prefix.driveC() + QStringLiteral("/Program Files/") + Name));
    // No key or value of the registry names the program any more.
    for (const char *root : {"HKLM\\Software", "HKCU\\Software"}) {
        const QString text = m_prefix.registry(QLatin1String(root));
        QVERIFY2(!text.isEmpty(), root);
        QStringList left;
        for (const QString &line : text.split(u'\n')) {
            if (line.contains(QStringLiteral("Quervelle"), Qt::CaseInsensitive))
                left << line.trimmed();
        }
        std::printf("%s, lines naming the program after uninstalling: %lld\n", root,
                    static_cast<long long>(left.size()));
        QVERIFY2(left.isEmpty(), qPrintable(left.join(u'\n')));
    }
}

int main(int argc, char *argv[]) {
    if (!QFile::exists(msi())) {
        std::printf("SKIP: no %s. It is made by wixl (package wixl) with the Qt for Windows kit "
                    "(../shared/qt6-mingw/ beside the checkout) by the preset windows-cross-qt, "
                    "which make test-windows and make package-windows run.\n",
                    qPrintable(msi()));
        return 77;
    }
    if (!startXvfbForThisProcess())
        return 1;
    QGuiApplication app(argc, argv);
    TestWineInstaller test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_installer.moc"
