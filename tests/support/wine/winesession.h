#pragma once

// The Windows program run from a Linux test as a user runs it: in a wine prefix of the tests'
// own (WinePrefix), on a private X server (support/xvfb.h), with the user's mouse and keyboard
// given by xdotool (XUser), which finds windows by their title as wine names them on X.

#include <QMap>
#include <QPoint>
#include <QProcess>
#include <QSize>
#include <QString>

namespace quervelle::test {

// A wine prefix in a folder, with Windows' fonts where Windows keeps them (C:\windows\Fonts) and
// the drives a test links. Every wine process of the prefix ends when this object goes.
class WinePrefix {
public:
    explicit WinePrefix(QString folder);
    ~WinePrefix();
    WinePrefix(const WinePrefix &) = delete;
    WinePrefix &operator=(const WinePrefix &) = delete;

    // Makes the prefix where there is none yet; fresh: removes what is there first. False, with
    // error() saying why, when it cannot.
    bool make(bool fresh = false);
    QString error() const { return m_error; }
    QString driveC() const { return m_folder + QStringLiteral("/drive_c"); }
    // Links letter: (lower-case) to folder; the link is replaced when it exists.
    bool linkDrive(char letter, const QString &folder);
    // Starts wine running program (a Linux path) with folder as its start folder, on display, as
    // a user starts it: none of the tests' own Qt settings, no extra library path.
    void start(QProcess &process, const QString &program, const QString &folder,
               const QString &display) const;
    // Runs a Windows command of the prefix ("msiexec", "reg"...) to its end, up to ms; its exit
    // code, or -1 when it could not run or did not end. What it printed goes to output.
    int wine(const QStringList &arguments, QString *output = nullptr, int ms = 300000);
    // The text `reg query key /s` prints: every value under key, empty when there is none.
    QString registry(const QString &key);
    // Ends every wine process of the prefix. The first of a session decides whether windows are
    // shown at all: after commands run without a display, end them before showing a program.
    void endSession();

private:
    QProcessEnvironment environment() const;
    bool run(const QString &program, const QStringList &arguments, int ms);

    QString m_folder;
    QString m_error;
};

// A user's hands on an X server, through xdotool. Points are in a window's own pixels.
class XUser {
public:
    explicit XUser(QString display) : m_display(std::move(display)) {}

    // The visible windows, their X id to their title.
    QMap<QString, QString> visibleWindows() const;
    // Waits up to ms for a visible window titled title, other than the window except; its X id,
    // empty when none came or when program, if given, ended first.
    QString waitForWindow(const QString &title, int ms = 30000, const QString &except = {},
                          const QProcess *program = nullptr) const;
    // Waits up to ms until the window id is no longer visible.
    bool waitUntilClosed(const QString &id, int ms = 30000) const;
    QSize size(const QString &id) const;
    bool click(const QString &id, QPoint at) const;
    bool key(const QString &name) const; // xdotool's key names: "Return", "Escape", "Down"
    bool type(const QString &text) const;
    // The message of the box that has the keyboard, as Windows copies a message box with
    // Ctrl+C (title, message and buttons between lines of dashes); empty when nothing came.
    // Needs this process's QGuiApplication, on the same X server.
    QString boxMessage() const;

private:
    QString xdotool(const QStringList &arguments, bool *ok = nullptr) const;

    QString m_display;
};

} // namespace quervelle::test
