#include "support/wine/winesession.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QThread>

namespace quervelle::test {

namespace {

// Windows keeps its fonts in C:\windows\Fonts: "MS Sans Serif" (the raster font, in its set drawn
// at 96 dots per inch and its set for larger screen resolutions, which Windows takes from 120
// dots per inch up) and Tahoma, the dialogs' face. Wine has its own (package fonts-wine), but
// Debian's wine does not find them in its data folder, so they are linked where Windows keeps
// them.
constexpr const char *WineFonts = "/usr/share/wine/fonts";
constexpr const char *WindowsFonts[] = {"sserife.fon", "sseriff.fon", "tahoma.ttf", "tahomabd.ttf"};

} // namespace

WinePrefix::WinePrefix(QString folder) : m_folder(std::move(folder)) {}

WinePrefix::~WinePrefix() {
    if (QFile::exists(m_folder))
        run(QStringLiteral("wineserver"), {QStringLiteral("-k")}, 30000);
}

QProcessEnvironment WinePrefix::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name :
         {"QT_QPA_PLATFORM", "QT_PLUGIN_PATH", "QT_SCALE_FACTOR", "WINEPATH", "DISPLAY"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("WINEPREFIX"), m_folder);
    env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    // No Mono or Gecko prompts; and no menu entries or icons of the prefix's shortcuts written
    // into this system's desktop.
    env.insert(QStringLiteral("WINEDLLOVERRIDES"),
               QStringLiteral("mscoree,mshtml=;winemenubuilder.exe=d"));
    return env;
}

bool WinePrefix::run(const QString &program, const QStringList &arguments, int ms) {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(30000)) {
        m_error = program + QStringLiteral(" cannot be started (packages wine, wine64): ") +
                  process.errorString();
        return false;
    }
    if (!process.waitForFinished(ms) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        m_error = QStringLiteral("%1 %2 failed in %3").arg(program, arguments.join(u' '), m_folder);
        process.kill();
        process.waitForFinished();
        return false;
    }
    return true;
}

bool WinePrefix::make(bool fresh) {
    if (fresh && QFile::exists(m_folder)) {
        run(QStringLiteral("wineserver"), {QStringLiteral("-k")}, 30000);
        if (!QDir(m_folder).removeRecursively()) {
            m_error = QStringLiteral("cannot remove the old prefix ") + m_folder;
            return false;
        }
    }
    if (!QFile::exists(m_folder + QStringLiteral("/system.reg"))) {
        if (!QDir().mkpath(m_folder) ||
            !run(QStringLiteral("wineboot"), {QStringLiteral("-i")}, 300000) ||
            !run(QStringLiteral("wineserver"), {QStringLiteral("-w")}, 60000))
            return false;
    }
    for (const char *font : WindowsFonts) {
        const QString target =
            QDir(QString::fromLatin1(WineFonts)).filePath(QString::fromLatin1(font));
        const QString link =
            driveC() + QStringLiteral("/windows/Fonts/") + QString::fromLatin1(font);
        if (!QFile::exists(target)) {
            m_error = target + QStringLiteral(" is missing (package fonts-wine)");
            return false;
        }
        QFile::remove(link);
        if (!QFile::link(target, link)) {
            m_error = QStringLiteral("cannot link ") + link;
            return false;
        }
    }
    return true;
}

bool WinePrefix::linkDrive(char letter, const QString &folder) {
    const QString link = QStringLiteral("%1/dosdevices/%2:").arg(m_folder).arg(QLatin1Char(letter));
    QFile::remove(link);
    return QFile::link(folder, link);
}

void WinePrefix::start(QProcess &process, const QString &program, const QString &folder,
                       const QString &display) const {
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("DISPLAY"), display);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QStringLiteral("wine"), {program});
}

int WinePrefix::wine(const QStringList &arguments, QString *output, int ms) {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral("wine"), arguments);
    if (!process.waitForStarted(30000) || !process.waitForFinished(ms) ||
        process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput()).remove(u'\r');
    return process.exitCode();
}

QString WinePrefix::registry(const QString &key) {
    QString text;
    return wine({QStringLiteral("reg"), QStringLiteral("query"), key, QStringLiteral("/s")}, &text,
                300000) == 0
               ? text
               : QString();
}

void WinePrefix::endSession() {
    run(QStringLiteral("wineserver"), {QStringLiteral("-k")}, 30000);
}

QString XUser::xdotool(const QStringList &arguments, bool *ok) const {
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral("xdotool"), arguments);
    const bool done = tool.waitForFinished(30000) && tool.exitStatus() == QProcess::NormalExit;
    if (ok)
        *ok = done && tool.exitCode() == 0;
    if (!done)
        qWarning("xdotool %s: %s", qPrintable(arguments.join(u' ')),
                 qPrintable(tool.errorString()));
    return QString::fromUtf8(tool.readAllStandardOutput());
}

QMap<QString, QString> XUser::visibleWindows() const {
    QMap<QString, QString> windows;
    const QString ids = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                 QStringLiteral("--name"), QStringLiteral(".")});
    for (const QString &id : ids.split(u'\n', Qt::SkipEmptyParts))
        windows.insert(id, xdotool({QStringLiteral("getwindowname"), id}).trimmed());
    return windows;
}

QString XUser::waitForWindow(const QString &title, int ms, const QString &except,
                             const QProcess *program) const {
    const QDeadlineTimer deadline(ms);
    do {
        const QMap<QString, QString> windows = visibleWindows();
        for (auto it = windows.cbegin(); it != windows.cend(); ++it)
            if (it.value() == title && it.key() != except)
                return it.key();
        QThread::msleep(100);
    } while (!deadline.hasExpired() && (!program || program->state() == QProcess::Running));
    return {};
}

bool XUser::waitUntilClosed(const QString &id, int ms) const {
    const QDeadlineTimer deadline(ms);
    while (visibleWindows().contains(id)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    return true;
}

QSize XUser::size(const QString &id) const {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral(R"(Geometry: (\d+)x(\d+))"))
            .match(xdotool({QStringLiteral("getwindowgeometry"), id}));
    return m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
}

bool XUser::click(const QString &id, QPoint at) const {
    bool ok = false;
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"), id,
             QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
             QStringLiteral("1")},
            &ok);
    QThread::msleep(200); // as a hand would: the next action comes after this one is taken
    return ok;
}

bool XUser::key(const QString &name) const {
    bool ok = false;
    xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("80"), name}, &ok);
    QThread::msleep(200);
    return ok;
}

bool XUser::type(const QString &text) const {
    bool ok = false;
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("60"), text}, &ok);
    QThread::msleep(200);
    return ok;
}

QString XUser::boxMessage() const {
    // Emptied first, so that what is read is this box's copy, never an earlier one.
    QGuiApplication::clipboard()->clear();
    QThread::msleep(300); // the box, just shown, has the keyboard
    if (!key(QStringLiteral("ctrl+c")))
        return {};
    const QDeadlineTimer deadline(10000);
    QString copied;
    while (copied.isEmpty() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        QThread::msleep(50);
        copied = QGuiApplication::clipboard()->text();
    }
    // "---\nTitle\n---\nMessage\n---\nOK   \n---\n"
    const QStringList parts = copied.split(QStringLiteral("---------------------------\n"));
    return parts.size() >= 3 ? parts.at(2).trimmed() : QString();
}

} // namespace quervelle::test
