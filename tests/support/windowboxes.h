#pragma once

// Answers the real modal boxes of the window as a user would: while a box is open (the
// handler waits inside it), a timer finds it, notes its title and text, and presses the
// button the test queued. Every box that opens with no answer queued is cancelled and noted,
// so a test never hangs on an unexpected box.

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <deque>

namespace quervelle::test {

class WindowBoxAnswerer : public QObject {
    Q_OBJECT
public:
    WindowBoxAnswerer();
    void answer(QMessageBox::StandardButton button) { m_answers.push_back(button); }
    // One line per box: "title|text|button pressed"; the unexpected ones end in "|none".
    const QStringList &seen() const { return m_seen; }

private:
    void look();

    QTimer m_timer;
    std::deque<QMessageBox::StandardButton> m_answers;
    QStringList m_seen;
};

} // namespace quervelle::test
