// The built program holds nothing of the folder it was started in: started in a folder of a
// disk of its own (a folder bound in this test's private mount namespace, which the program
// inherits), that disk unmounts while the program runs, and "RmDir" of the empty start folder
// removes it. Both through the real window on a private X server, by xdotool.

#include "support/mountnamespace.h"
#include "support/wine/winesession.h"
#include "support/xvfb.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

using namespace quervelle::test;

namespace {

const QString Title = QStringLiteral("Quervelle de fichiers");
// Design places (twips, 15 to a pixel): the buttons "RmDir" and "Fermer".
const QPoint RmDir((5640 + 1095 / 2) / 15, (1440 + 375 / 2) / 15);
const QPoint Fermer((5640 + 1095 / 2) / 15, (240 + 375 / 2) / 15);

} // namespace

class TestStartFolder : public QObject {
    Q_OBJECT

private slots:
    void leftFree_data();
    void leftFree();
};

void TestStartFolder::leftFree_data() {
    QTest::addColumn<bool>("removeByRmDir"); // else the file system is unmounted under it
    QTest::newRow("its file system unmounts while the program runs") << false;
    QTest::newRow("RmDir of the empty start folder removes it") << true;
}

void TestStartFolder::leftFree() {
    QFETCH(bool, removeByRmDir);
    if (!mountNamespaceRefused().isEmpty())
        QSKIP(qPrintable(mountNamespaceRefused()));
    const QString executable = qEnvironmentVariable("QUERVELLE_EXECUTABLE");
    QVERIFY2(QFile::exists(executable), "QUERVELLE_EXECUTABLE names no built program");
    QVERIFY2(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("version")}) == 0,
             "xdotool is missing (package xdotool)");

    // Two disks beside "/": the program starts on the first; the second, last of the list, is
    // the one taken for the CD-ROM, where nothing is removed.
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString disk = tmp.filePath(QStringLiteral("disque"));
    TestMounts mounts;
    for (const char *name : {"disque", "source", "zz-dernier", "zz-source"})
        QVERIFY(QDir().mkpath(tmp.filePath(QLatin1String(name))));
    for (const auto &[source, target] :
         {std::pair{"source", "disque"}, {"zz-source", "zz-dernier"}}) {
        const QString bound = mounts.bind(tmp.filePath(QLatin1String(source)).toStdString(),
                                          tmp.filePath(QLatin1String(target)).toStdString());
        QVERIFY2(bound.isEmpty(), qPrintable(bound));
    }
    const QString start = disk + QStringLiteral("/départ");
    QVERIFY(QDir().mkpath(start));

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_SCALE_FACTOR"));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(start);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(executable, {});
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
    const XUser user(qEnvironmentVariable("DISPLAY"));
    const QString window = user.waitForWindow(Title, 60000, {}, &program);
    QVERIFY2(!window.isEmpty(), "no window titled \"Quervelle de fichiers\"");

    if (removeByRmDir) {
        QVERIFY(user.click(window, RmDir));
        // "supprimer le dossier ?", answered OK.
        const QString box = user.waitForWindow(QStringLiteral("Confirmation"), 30000, window);
        QVERIFY2(!box.isEmpty(), "no box titled Confirmation");
        QVERIFY(user.key(QStringLiteral("Return")));
        QVERIFY(user.waitUntilClosed(box));
        QTest::qWait(500); // an error box, had one come, is there by now
        const QStringList titles = user.visibleWindows().values();
        QVERIFY2(titles == QStringList{Title}, qPrintable(titles.join(QStringLiteral(" | "))));
        QVERIFY2(!QFile::exists(start), "the start folder is still there");
    }
    const QString unmounted = mounts.unmountNow(disk.toStdString());
    QVERIFY2(unmounted.isEmpty(), qPrintable(unmounted));
    QVERIFY(program.state() == QProcess::Running);

    QVERIFY(user.click(window, Fermer));
    QVERIFY2(program.waitForFinished(30000), "the program went on after Fermer");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

int main(int argc, char *argv[]) {
    // First, while this process has a single thread: the namespace is then the whole process's,
    // and the program started from it inherits it.
    enterPrivateMountNamespace();
    if (!startXvfbForThisProcess())
        return 1;
    QGuiApplication app(argc, argv);
    TestStartFolder test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startfolder.moc"
