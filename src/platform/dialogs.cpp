#include "platform/dialogs.h"

#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <array>

namespace quervelle {

namespace {

// Every text reaches the boxes as UTF-8; file names in it may hold bytes that are not, which
// are shown as U+FFFD. Plain text always: a file named "<b>x" is shown as typed, not rendered.
QString shown(const std::string &text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The button groups of a button code (its lowest four bits).
struct ButtonGroup {
    std::array<QMessageBox::StandardButton, 3> buttons;
    int count;
    QMessageBox::StandardButton escape; // NoButton: the box's own choice
};

ButtonGroup buttonGroup(int code) {
    using B = QMessageBox;
    switch (code & 0x0F) {
    case 1:
        return {{B::Ok, B::Cancel, B::NoButton}, 2, B::Cancel};
    case 2:
        return {{B::Abort, B::Retry, B::Ignore}, 3, B::NoButton};
    case 3:
        return {{B::Yes, B::No, B::Cancel}, 3, B::Cancel};
    case 4:
        return {{B::Yes, B::No, B::NoButton}, 2, B::NoButton};
    case 5:
        return {{B::Retry, B::Cancel, B::NoButton}, 2, B::Cancel};
    default:
        return {{B::Ok, B::NoButton, B::NoButton}, 1, B::Ok};
    }
}

QMessageBox::Icon iconFor(int code) {
    switch (code & 0x70) {
    case 16:
        return QMessageBox::Critical;
    case 32:
        return QMessageBox::Question;
    case 48:
        return QMessageBox::Warning;
    case 64:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int answerCode(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return 1;
    case QMessageBox::Cancel:
        return 2;
    case QMessageBox::Abort:
        return 3;
    case QMessageBox::Retry:
        return 4;
    case QMessageBox::Ignore:
        return 5;
    case QMessageBox::Yes:
        return 6;
    case QMessageBox::No:
        return 7;
    default:
        return 2;
    }
}

} // namespace

int QtDialogs::msgBox(const std::string &prompt, int buttons, const std::string &title) {
    QMessageBox box(m_parent);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(iconFor(buttons));
    box.setWindowTitle(shown(title));
    box.setText(shown(prompt));

    const ButtonGroup group = buttonGroup(buttons);
    std::array<QPushButton *, 3> added{};
    for (int i = 0; i < group.count; ++i)
        added[static_cast<std::size_t>(i)] =
            box.addButton(group.buttons[static_cast<std::size_t>(i)]);
    // The default button: the first, or the second or third (256, 512) where there is one.
    const int wanted = (buttons >> 8) & 0x03;
    box.setDefaultButton(added[static_cast<std::size_t>(wanted < group.count ? wanted : 0)]);
    if (group.escape != QMessageBox::NoButton)
        box.setEscapeButton(box.button(group.escape));

    box.exec();
    if (QAbstractButton *clicked = box.clickedButton())
        return answerCode(box.standardButton(clicked));
    return answerCode(group.escape);
}

std::string QtDialogs::inputBox(const std::string &prompt, const std::string &title) {
    QInputDialog dialog(m_parent);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(shown(title));
    dialog.setLabelText(shown(prompt));
    if (auto *label = dialog.findChild<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    dialog.setTextValue(QString());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue().toUtf8().toStdString();
}

void QtDialogs::uncaughtError(const std::string &message) {
    QMessageBox box(m_parent);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::Critical);
    box.setWindowTitle(QStringLiteral("Quervelle de fichiers"));
    box.setText(shown(message));
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

} // namespace quervelle
