#include "window/accessibility.h"

#include "platform/controls/dirlistbox.h"
#include "platform/controls/filelistbox.h"
#include "platform/controls/filelistmodel.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <stdexcept>
#include <utility>

namespace quervelle {

namespace {

struct LabelTie {
    const char *label;
    const char *box;
};

constexpr LabelTie LabelTies[] = {
    {"Label1", "Text1"},
    {"Label2", "Text2"},
    {"Label3", "Text3"},
};

struct ButtonDescription {
    const char *button;
    const char *description; // UTF-8
};

constexpr ButtonDescription ButtonDescriptions[] = {
    {"Command3", "Effacer le fichier choisi"},
    {"Command6", "Supprimer le dossier affiché"},
};

template <typename T> T *control(const QWidget &window, const char *name) {
    T *found = window.findChild<T *>(QLatin1String(name));
    if (!found)
        throw std::logic_error(std::string("the window has no control ") + name);
    return found;
}

} // namespace

WindowAccessibility::WindowAccessibility(QWidget &window)
    : m_files(control<FileListBox>(window, "File1")),
      m_fileRows(qobject_cast<FileListModel *>(m_files->model())),
      m_folders(control<DirListBox>(window, "Dir1")), m_date(control<QLineEdit>(window, "Text2")),
      m_size(control<QLineEdit>(window, "Text3")), m_dateLabel(control<QLabel>(window, "Label2")),
      m_sizeLabel(control<QLabel>(window, "Label3")) {
    if (!m_fileRows)
        throw std::logic_error("File1 does not show a FileListModel");
    for (const LabelTie &tie : LabelTies)
        control<QLabel>(window, tie.label)->setBuddy(control<QLineEdit>(window, tie.box));
    for (const ButtonDescription &d : ButtonDescriptions)
        control<QPushButton>(window, d.button)
            ->setAccessibleDescription(QString::fromUtf8(d.description));

    // The boxes change one after the other; the row is described once both have.
    for (QLineEdit *box : {m_date, m_size})
        connect(box, &QLineEdit::textChanged, this, [this] {
            if (std::exchange(m_describePending, true))
                return;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_describePending = false;
                    describeSelectedFile();
                },
                Qt::QueuedConnection);
        });
    // Runs after the file-clicked handler: the boxes hold what it wrote, even where the texts
    // did not change.
    connect(m_files, &FileListBox::click, this, [this] {
        describeSelectedFile();
        if (!m_currentMoved)
            announceCurrentRow(m_files);
    });
    connect(m_files->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { m_currentMoved = true; });

    for (QAbstractItemView *list : {static_cast<QAbstractItemView *>(m_files), m_folders})
        list->installEventFilter(this);
    m_files->viewport()->installEventFilter(this);
}

bool WindowAccessibility::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
        if (watched == m_files || watched == m_files->viewport())
            m_currentMoved = false;
        break;
    case QEvent::FocusIn: {
        // A click says its own row; any other way in says the row under the cursor, once Qt
        // has announced the list itself.
        auto *list = qobject_cast<QAbstractItemView *>(watched);
        if (list && static_cast<QFocusEvent *>(event)->reason() != Qt::MouseFocusReason)
            QMetaObject::invokeMethod(
                this, [this, list] { announceCurrentRow(list); }, Qt::QueuedConnection);
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void WindowAccessibility::describeSelectedFile() {
    QStringList details;
    if (!m_date->text().isEmpty())
        details << m_dateLabel->text() + u' ' + m_date->text();
    if (!m_size->text().isEmpty())
        details << m_sizeLabel->text() + u' ' + m_size->text();
    const QModelIndexList selected = m_files->selectionModel()->selectedIndexes();
    const int row = details.isEmpty() || selected.isEmpty() ? -1 : selected.first().row();
    const int before = m_fileRows->describedRow();
    if (!m_fileRows->setRowDescription(row, details.join(QStringLiteral(", "))) ||
        !QAccessible::isActive())
        return;
    // The row now described, and the one that lost its description.
    for (const int changed : {row, before == row ? -1 : before}) {
        if (changed < 0)
            continue;
        QAccessibleEvent event(m_files, QAccessible::DescriptionChanged);
        event.setChild(changed);
        QAccessible::updateAccessibility(&event);
    }
}

void WindowAccessibility::announceCurrentRow(QAbstractItemView *list) {
    const QModelIndex current = list->currentIndex();
    if (!current.isValid() || !list->hasFocus() || !QAccessible::isActive())
        return;
    QAccessibleEvent event(list, QAccessible::Focus);
    event.setChild(current.row());
    QAccessible::updateAccessibility(&event);
}

} // namespace quervelle
