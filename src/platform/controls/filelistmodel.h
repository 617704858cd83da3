#pragma once

#include "platform/files/namelist.h"

#include <QAbstractListModel>

namespace quervelle {

// The rows of the file list: one per name, made into text only when a row is painted.
class FileListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    const NameList &names() const { return m_names; }

    // Replacing the names: the views are told once, before and after, so they never see a
    // list half made. Use through Replace.
    class Replace {
    public:
        explicit Replace(FileListModel &model) : m_model(model) { m_model.beginResetModel(); }
        ~Replace() { m_model.endResetModel(); }
        Replace(const Replace &) = delete;
        Replace &operator=(const Replace &) = delete;
        NameList &names() { return m_model.m_names; }

    private:
        FileListModel &m_model;
    };

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    NameList m_names;
};

} // namespace quervelle
