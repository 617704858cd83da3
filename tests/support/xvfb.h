#pragma once

// A private X server for the end-to-end tests: Xvfb on a display number it picks itself
// (-displayfd), a 1280 x 1024 screen at 96 dots per inch, no TCP, never reset. It is stopped when
// this object goes, and also when the test process dies, so no server is ever left behind.

#include <QProcess>
#include <QString>

namespace quervelle::test {

class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer &) = delete;
    XvfbServer &operator=(const XvfbServer &) = delete;

    bool start();                                 // waits until the server accepts clients
    QString display() const { return m_display; } // ":N", empty until started
    QString error() const { return m_error; }

private:
    QProcess m_process;
    QString m_display;
    QString m_error;
};

// For a test whose own QApplication must live on the server: starts one before the
// application object exists and points DISPLAY and QT_QPA_PLATFORM at it. Returns nullptr
// (after printing why) when it cannot start.
XvfbServer *startXvfbForThisProcess();

} // namespace quervelle::test
