#include "window/accessibleinterfaces.h"

#include "platform/controls/dirlistbox.h"
#include "platform/controls/dirlistmodel.h"
#include "platform/controls/drivelistbox.h"
#include "window/quervelle.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QHash>
#include <QPointer>
#include <QWindow>

namespace quervelle {

namespace {

class DriveListAccessible final : public QAccessibleWidget {
public:
    explicit DriveListAccessible(QComboBox *box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    // The drop-down part, as Qt's own interface shows it.
    int childCount() const override { return 1; }
    QAccessibleInterface *child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override {
        return child && child->object() == box()->view() ? 0 : -1;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return box()->currentText();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override {
        if (action != showMenuAction() && action != pressAction()) {
            QAccessibleWidget::doAction(action);
        } else if (box()->view()->isVisible()) {
            box()->hidePopup();
        } else {
            box()->showPopup();
        }
    }

private:
    QComboBox *box() const { return static_cast<QComboBox *>(widget()); }
};

class FolderRowAccessible final : public QAccessibleInterface {
public:
    FolderRowAccessible(QAbstractItemView *view, const QModelIndex &index)
        : m_view(view), m_index(index) {}

    bool isValid() const override { return m_view && m_index.isValid(); }
    int row() const { return m_index.row(); }
    bool belongsTo(const QAbstractItemView *view) const { return isValid() && m_view == view; }

    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override {
        return QAccessible::queryAccessibleInterface(m_view.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (!isValid())
            return {};
        if (t == QAccessible::Name) {
            const QString name = m_index.data(Qt::AccessibleTextRole).toString();
            return name.isEmpty() ? m_index.data(Qt::DisplayRole).toString() : name;
        }
        if (t == QAccessible::Description)
            return m_index.data(Qt::AccessibleDescriptionRole).toString();
        return {};
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect r = m_view->visualRect(m_index);
        return QRect(m_view->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    // As Qt states a list's row, with the folder's open or closed state besides.
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        s.selected = m_view->selectionModel()->isSelected(m_index);
        s.focused = m_view->currentIndex() == m_index;
        s.invisible = !m_view->viewport()->rect().intersects(m_view->visualRect(m_index));
        s.expandable = true;
        const bool open = m_index.data(DirListModel::OpenRole).toBool();
        s.expanded = open;
        s.collapsed = !open;
        return s;
    }

private:
    QPointer<QAbstractItemView> m_view;
    QPersistentModelIndex m_index;
};

// Dir1's rows are made as they are asked for and kept until the list is read again (which
// makes every row's index invalid) or the list goes.
class FolderListAccessible final : public QAccessibleWidget {
public:
    explicit FolderListAccessible(QAbstractItemView *view)
        : QAccessibleWidget(view, QAccessible::List) {}
    ~FolderListAccessible() override {
        for (const QAccessible::Id id : std::as_const(m_rows))
            if (QAccessible::accessibleInterface(id))
                QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return view()->model() ? view()->model()->rowCount() : 0; }

    QAccessibleInterface *child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        if (FolderRowAccessible *kept = rowInterface(index); kept && kept->row() == index)
            return kept;
        forgetStaleRows();
        auto *row = new FolderRowAccessible(view(), view()->model()->index(index, 0));
        m_rows.insert(index, QAccessible::registerAccessibleInterface(row));
        return row;
    }

    int indexOfChild(const QAccessibleInterface *child) const override {
        const auto *row = dynamic_cast<const FolderRowAccessible *>(child);
        return row && row->belongsTo(view()) ? row->row() : -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override {
        const QModelIndex at = view()->indexAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
        return at.isValid() ? child(at.row()) : nullptr;
    }

private:
    QAbstractItemView *view() const { return static_cast<QAbstractItemView *>(widget()); }

    FolderRowAccessible *rowInterface(int index) const {
        const auto found = m_rows.constFind(index);
        if (found == m_rows.cend())
            return nullptr;
        auto *row = static_cast<FolderRowAccessible *>(QAccessible::accessibleInterface(*found));
        return row && row->isValid() ? row : nullptr;
    }

    void forgetStaleRows() const {
        for (auto it = m_rows.begin(); it != m_rows.end();) {
            const auto *row =
                static_cast<FolderRowAccessible *>(QAccessible::accessibleInterface(*it));
            if (row && row->isValid() && row->row() == it.key()) {
                ++it;
                continue;
            }
            if (row)
                QAccessible::deleteAccessibleInterface(*it);
            it = m_rows.erase(it);
        }
    }

    mutable QHash<int, QAccessible::Id> m_rows;
};

QAccessibleInterface *makeInterface(const QString &className, QObject *object) {
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String(Quervelle::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className == QLatin1String(DriveListBox::staticMetaObject.className()))
        return new DriveListAccessible(static_cast<QComboBox *>(widget));
    if (className == QLatin1String(DirListBox::staticMetaObject.className()))
        return new FolderListAccessible(static_cast<QAbstractItemView *>(widget));
    return nullptr;
}

} // namespace

void installAccessibleInterfaces() {
    static const bool installed = [] {
        QAccessible::installFactory(&makeInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace quervelle
