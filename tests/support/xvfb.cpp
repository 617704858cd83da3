#include "support/xvfb.h"

#include <QByteArray>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>

namespace quervelle::test {

XvfbServer::XvfbServer() {
    m_process.setProgram(QStringLiteral("Xvfb"));
    // -displayfd 1: the server picks a free display number and writes it to its output once
    // it accepts connections. -noreset: a helper that connects and leaves (the accessibility
    // bus launcher does) would otherwise reset the server, refusing whoever connects meanwhile.
    m_process.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"),
                            QStringLiteral("-screen"), QStringLiteral("0"),
                            QStringLiteral("1280x1024x24"), QStringLiteral("-dpi"),
                            QStringLiteral("96"), QStringLiteral("-nolisten"),
                            QStringLiteral("tcp"), QStringLiteral("-noreset")});
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

XvfbServer::~XvfbServer() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }
}

bool XvfbServer::start() {
    m_process.start();
    if (!m_process.waitForStarted(10000)) {
        m_error =
            QStringLiteral("Xvfb cannot be started (package xvfb): ") + m_process.errorString();
        return false;
    }
    QByteArray out;
    while (!out.contains('\n')) {
        if (!m_process.waitForReadyRead(30000)) {
            m_error = QStringLiteral("Xvfb gave no display number");
            return false;
        }
        out += m_process.readAllStandardOutput();
    }
    bool ok = false;
    const int number = out.trimmed().toInt(&ok);
    if (!ok) {
        m_error = QStringLiteral("Xvfb wrote %1").arg(QString::fromLatin1(out));
        return false;
    }
    m_display = QStringLiteral(":%1").arg(number);
    return true;
}

XvfbServer *startXvfbForThisProcess() {
    static XvfbServer server;
    if (!server.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.error()));
        return nullptr;
    }
    qputenv("DISPLAY", server.display().toLatin1());
    qputenv("QT_QPA_PLATFORM", "xcb");
    return &server;
}

} // namespace quervelle::test
