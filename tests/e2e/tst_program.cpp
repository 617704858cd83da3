// The built program as a user starts it, on a private X server: its window appears with its
// title, its fixed size (doubled at a scale factor of 2) and its one icon, and closing it through
// the frame (the window manager's close request) ends the program normally. Then the program used
// through its window with the mouse (xdotool): a file of the start folder clicked and
// "Exécuter" pressed starts exactly that file; "Fermer" ends the program. The same test runs on
// the optimized program users run (CTest's e2e_program_release).

#include "support/designpoints.h"
#include "support/xvfb.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

QString runTool(const QString &program, const QStringList &arguments, const QString &display) {
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    tool.setProcessEnvironment(env);
    tool.start(program, arguments);
    if (!tool.waitForFinished(30000))
        return {};
    return QString::fromUtf8(tool.readAllStandardOutput());
}

// The line of `xwininfo -root -tree` naming the window, empty while there is none.
QString windowLine(const QString &display) {
    const QString tree = runTool(QStringLiteral("xwininfo"),
                                 {QStringLiteral("-root"), QStringLiteral("-tree")}, display);
    for (const QString &line : tree.split(u'\n'))
        if (line.contains(QStringLiteral("\"Quervelle de fichiers\"")))
            return line.trimmed();
    return {};
}

// What the window manager sends when the user clicks the frame's close button.
bool sendCloseRequest(const QString &display, xcb_window_t window) {
    xcb_connection_t *c = xcb_connect(display.toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return false;
    }
    auto atom = [c](const char *name) {
        xcb_intern_atom_reply_t *reply =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return a;
    };
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&event));
    xcb_flush(c);
    xcb_disconnect(c);
    return true;
}

// The program started from folder on display, as a user starts it: the line of xwininfo naming
// its window once there is one; empty, with why in error, when none came.
QString startShown(QProcess &program, const QString &folder, const QString &display,
                   const QString &scale, QString &error) {
    const QString executable = qEnvironmentVariable("QUERVELLE_EXECUTABLE");
    if (!QFile::exists(executable)) {
        error = QStringLiteral("no built program at \"%1\" (QUERVELLE_EXECUTABLE)").arg(executable);
        return {};
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(folder);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(executable, {});
    if (!program.waitForStarted()) {
        error = program.errorString();
        return {};
    }
    QString line;
    const QDeadlineTimer deadline(60000);
    while ((line = windowLine(display)).isEmpty() && !deadline.hasExpired() &&
           program.state() == QProcess::Running)
        QThread::msleep(100);
    if (line.isEmpty())
        error = QStringLiteral("no window titled \"Quervelle de fichiers\" appeared");
    return line;
}

// The X window exists from its creation on; the user sees it once it is mapped.
bool waitUntilViewable(const QString &id, const QString &display) {
    auto viewable = [&] {
        return runTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id}, display)
            .contains(QStringLiteral("Map State: IsViewable"));
    };
    const QDeadlineTimer deadline(60000);
    while (!viewable() && !deadline.hasExpired())
        QThread::msleep(100);
    return viewable();
}

// A click of the user's mouse at a point of the window, in its own pixels.
bool click(const QString &id, QPoint at, const QString &display) {
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral("xdotool"),
               {QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"),
                id, QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                QStringLiteral("1")});
    return tool.waitForFinished(30000) && tool.exitStatus() == QProcess::NormalExit &&
           tool.exitCode() == 0;
}

bool waitForFile(const QString &path, int ms) {
    const QDeadlineTimer deadline(ms);
    while (!QFile::exists(path) && !deadline.hasExpired())
        QThread::msleep(100);
    return QFile::exists(path);
}

} // namespace

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void window_data();
    void window();
    void runThroughWindow_data();
    void runThroughWindow();
};

void TestProgram::window_data() {
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QSize>("devicePixels");
    QTest::newRow("96 dpi") << "1" << QSize(461, 262);
    QTest::newRow("scale factor 2") << "2" << QSize(922, 524);
}

void TestProgram::window() {
    QFETCH(QString, scale);
    QFETCH(QSize, devicePixels);
    quervelle::test::XvfbServer server;
    QVERIFY2(server.start(), qPrintable(server.error()));

    QTemporaryDir startFolder;
    QProcess program;
    QString error;
    const QString line = startShown(program, startFolder.path(), server.display(), scale, error);
    QVERIFY2(!line.isEmpty(), qPrintable(error));

    // "0x400007 "Quervelle de fichiers": ("quervelle" "quervelle")  461x262+0+0  +0+0"
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral(R"(^(0x[0-9a-f]+) .*\)\s+(\d+)x(\d+)\+)")).match(line);
    QVERIFY2(m.hasMatch(), qPrintable(line));
    QCOMPARE(QSize(m.captured(2).toInt(), m.captured(3).toInt()), devicePixels);
    const QString id = m.captured(1);
    QVERIFY2(waitUntilViewable(id, server.display()), "the window was never shown");

    const QString props =
        runTool(QStringLiteral("xprop"), {QStringLiteral("-id"), id}, server.display());
    const QString fixed =
        QStringLiteral("%1 by %2").arg(devicePixels.width()).arg(devicePixels.height());
    QVERIFY2(props.contains(QStringLiteral("program specified minimum size: ") + fixed),
             qPrintable(props));
    QVERIFY2(props.contains(QStringLiteral("program specified maximum size: ") + fixed),
             qPrintable(props));
    QVERIFY2(props.contains(QStringLiteral("_NET_WM_ICON(CARDINAL)")), "no window icon");
    QVERIFY2(props.contains(QStringLiteral("Icon (32 x 32)")), qPrintable(props));
    // Only the 32 x 32 design: the larger pictures of the icon file are not the window's.
    QCOMPARE(props.count(QStringLiteral("Icon (")), 1);

    // Closing through the frame ends the program, normally and at once.
    QVERIFY(program.state() == QProcess::Running);
    // A request that reaches the program in the instant it maps its window can go unseen, as
    // a click on a frame that is still being drawn would; the user then clicks again.
    for (int attempt = 0; attempt < 30 && program.state() == QProcess::Running; ++attempt) {
        QVERIFY(sendCloseRequest(server.display(), id.toUInt(nullptr, 16)));
        program.waitForFinished(1000);
    }
    QVERIFY2(program.state() == QProcess::NotRunning,
             "the program went on after its window was closed");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

void TestProgram::runThroughWindow_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("a plain name") << QStringLiteral("lance.sh");
    QTest::newRow("a name with spaces and a star") << QStringLiteral("mon *programme.sh");
}

void TestProgram::runThroughWindow() {
    QFETCH(QString, name);
    quervelle::test::XvfbServer server;
    QVERIFY2(server.start(), qPrintable(server.error()));

    // The only file of the start folder, so the first of the file list: a program that writes
    // the path it was started by.
    QTemporaryDir startFolder;
    const QString started = startFolder.filePath(QStringLiteral("started"));
    QFile script(startFolder.filePath(name));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho \"$0\" > '" + started.toUtf8() + "'\n");
    script.close();
    QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));

    QProcess program;
    QString error;
    const QString line = startShown(program, startFolder.path(), server.display(), "1", error);
    QVERIFY2(!line.isEmpty(), qPrintable(error));
    const QString id = line.section(u' ', 0, 0);
    QVERIFY2(waitUntilViewable(id, server.display()), "the window was never shown");

    using namespace quervelle;
    QVERIFY(click(id, test::firstRow(design::File1), server.display()));
    QVERIFY(click(id, test::centre(design::Command5), server.display())); // Exécuter
    QVERIFY2(waitForFile(started, 30000), "the file clicked was not started");
    QFile mark(started);
    QVERIFY(mark.open(QIODevice::ReadOnly));
    // Exactly that file, by its whole path, never a part of its name.
    QCOMPARE(QString::fromUtf8(mark.readAll()).trimmed(),
             QFileInfo(startFolder.path()).canonicalFilePath() + u'/' + name);

    QVERIFY(click(id, test::centre(design::Command1), server.display())); // Fermer
    QVERIFY2(program.waitForFinished(30000), "the program went on after Fermer");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
