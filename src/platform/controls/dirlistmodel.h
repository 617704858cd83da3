#pragma once

#include "platform/files/namelist.h"

#include <QAbstractListModel>
#include <QIcon>

#include <string>
#include <vector>

namespace quervelle {

// The rows of the directory list: the drive's root and the folders down to the one shown (open
// folders), then the sub-folders of the folder shown (closed folders). A row's depth in the
// tree is given by DepthRole, whether its folder is open by OpenRole; its text is made only when
// it is painted. Its accessible description says its level, counted from 1 at the root.
class DirListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int DepthRole = Qt::UserRole + 1;
    static constexpr int OpenRole = Qt::UserRole + 2;

    using QAbstractListModel::QAbstractListModel;

    void setIcons(QIcon openFolder, QIcon closedFolder);

    // The texts of the open rows: the drive's root as its path, then one folder name per level.
    const std::vector<std::string> &ancestors() const { return m_ancestors; }
    const NameList &folders() const { return m_folders; }
    int ancestorCount() const { return static_cast<int>(m_ancestors.size()); }

    // Replacing the rows: the views are told once, before and after.
    class Replace {
    public:
        explicit Replace(DirListModel &model) : m_model(model) { m_model.beginResetModel(); }
        ~Replace() { m_model.endResetModel(); }
        Replace(const Replace &) = delete;
        Replace &operator=(const Replace &) = delete;
        std::vector<std::string> &ancestors() { return m_model.m_ancestors; }
        NameList &folders() { return m_model.m_folders; }

    private:
        DirListModel &m_model;
    };

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    std::vector<std::string> m_ancestors;
    NameList m_folders;
    QIcon m_openFolder;
    QIcon m_closedFolder;
};

} // namespace quervelle
