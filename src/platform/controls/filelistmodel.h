#pragma once

#include "platform/files/namelist.h"

#include <QAbstractListModel>

namespace quervelle {

// The rows of the file list: one per name, made into text only when a row is painted. One row
// may carry an accessible description (Qt::AccessibleDescriptionRole): the details shown for that
// file, read by a screen reader with the row.
class FileListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    const NameList &names() const { return m_names; }

    // Replacing the names: the views are told once, before and after, so they never see a
    // list half made. Use through Replace.
    class Replace {
    public:
        explicit Replace(FileListModel &model) : m_model(model) {
            m_model.beginResetModel();
            m_model.m_describedRow = -1;
            m_model.m_description.clear();
        }
        ~Replace() { m_model.endResetModel(); }
        Replace(const Replace &) = delete;
        Replace &operator=(const Replace &) = delete;
        NameList &names() { return m_model.m_names; }

    private:
        FileListModel &m_model;
    };

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // Gives row the description, taking it from the row that had one; an empty text or a row
    // of -1 leaves no row described. The names being replaced forgets it. False when nothing
    // changed.
    bool setRowDescription(int row, const QString &description);
    int describedRow() const { return m_describedRow; }

private:
    NameList m_names;
    int m_describedRow = -1;
    QString m_description;
};

} // namespace quervelle
