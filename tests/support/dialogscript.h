#pragma once

// A scripted answerer for the platform's dialogs: the test queues the answers, in the order the
// boxes will appear, and reads back every box that was shown. No real dialog ever opens.

#include "platform/dialogs.h"

#include <QStringList>

#include <deque>
#include <string>
#include <variant>
#include <vector>

namespace quervelle::test {

struct ShownDialog {
    enum class Kind { MsgBox, InputBox, UncaughtError };
    Kind kind = Kind::MsgBox;
    std::string prompt; // the message, for an uncaught error
    std::string title;  // empty for an uncaught error
    int buttons = 0;    // the button code of a message box; 0 otherwise
};

class DialogScript final : public Dialogs {
public:
    // The next box answers: a message box with an answer code, an input box with a text.
    void answer(int code) { m_answers.emplace_back(code); }
    void answerText(std::string text) { m_answers.emplace_back(std::move(text)); }

    int msgBox(const std::string &prompt, int buttons, const std::string &title) override;
    std::string inputBox(const std::string &prompt, const std::string &title) override;
    void uncaughtError(const std::string &message) override;

    const std::vector<ShownDialog> &shown() const { return m_shown; }
    // Every box shown, one line each: "MsgBox(prompt,49,title)", "InputBox(prompt,title)",
    // "Error(message)".
    QStringList log() const;
    std::size_t answersLeft() const { return m_answers.size(); }
    // Boxes that found no answer of their kind at the head of the queue. Such a box answers
    // Cancel (OK for code 48) or the empty text, and the answer at the head stays queued.
    int unanswered() const { return m_unanswered; }
    void clear();

private:
    std::deque<std::variant<int, std::string>> m_answers;
    std::vector<ShownDialog> m_shown;
    int m_unanswered = 0;
};

} // namespace quervelle::test
