#include "support/dialogscript.h"

namespace quervelle::test {

namespace {

QString fromUtf8(const std::string &text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

int DialogScript::msgBox(const std::string &prompt, int buttons, const std::string &title) {
    m_shown.push_back({ShownDialog::Kind::MsgBox, prompt, title, buttons});
    if (!m_answers.empty() && std::holds_alternative<int>(m_answers.front())) {
        const int code = std::get<int>(m_answers.front());
        m_answers.pop_front();
        return code;
    }
    ++m_unanswered;
    return (buttons & 0x0F) == 0 ? 1 : 2;
}

std::string DialogScript::inputBox(const std::string &prompt, const std::string &title) {
    m_shown.push_back({ShownDialog::Kind::InputBox, prompt, title, 0});
    if (!m_answers.empty() && std::holds_alternative<std::string>(m_answers.front())) {
        std::string text = std::get<std::string>(std::move(m_answers.front()));
        m_answers.pop_front();
        return text;
    }
    ++m_unanswered;
    return {};
}

void DialogScript::uncaughtError(const std::string &message) {
    m_shown.push_back({ShownDialog::Kind::UncaughtError, message, {}, 0});
}

QStringList DialogScript::log() const {
    QStringList lines;
    for (const ShownDialog &box : m_shown) {
        switch (box.kind) {
        case ShownDialog::Kind::MsgBox:
            // One arg() call: a "%1" inside a prompt is never taken for a place holder.
            lines << QStringLiteral("MsgBox(%1,%2,%3)")
                         .arg(fromUtf8(box.prompt), QString::number(box.buttons),
                              fromUtf8(box.title));
            break;
        case ShownDialog::Kind::InputBox:
            lines
                << QStringLiteral("InputBox(%1,%2)").arg(fromUtf8(box.prompt), fromUtf8(box.title));
            break;
        case ShownDialog::Kind::UncaughtError:
            lines << QStringLiteral("Error(%1)").arg(fromUtf8(box.prompt));
            break;
        }
    }
    return lines;
}

void DialogScript::clear() {
    m_answers.clear();
    m_shown.clear();
    m_unanswered = 0;
}

} // namespace quervelle::test
