#include "support/windowboxes.h"

#include <QAbstractButton>
#include <QApplication>

namespace quervelle::test {

WindowBoxAnswerer::WindowBoxAnswerer() {
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &WindowBoxAnswerer::look);
    m_timer.start();
}

void WindowBoxAnswerer::look() {
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    const QString line = box->windowTitle() + u'|' + box->text() + u'|';
    if (m_answers.empty()) {
        m_seen << line + QStringLiteral("none");
        box->reject();
        return;
    }
    const QMessageBox::StandardButton wanted = m_answers.front();
    m_answers.pop_front();
    QAbstractButton *button = box->button(wanted);
    if (!button) {
        m_seen << line + QStringLiteral("missing button");
        box->reject();
        return;
    }
    m_seen << line + button->text().remove(u'&');
    button->click();
}

} // namespace quervelle::test
