#include "platform/controls/filelistmodel.h"

#include "platform/controls/nameorder.h"

#include <limits>
#include <utility>

namespace quervelle {

int FileListModel::rowCount(const QModelIndex &parent) const {
    if (parent.isValid())
        return 0;
    // Qt counts rows in int; a folder with more names shows the first INT_MAX.
    constexpr std::size_t most = std::numeric_limits<int>::max();
    return static_cast<int>(std::min(m_names.size(), most));
}

QVariant FileListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return NameOrder::decode(m_names.name(static_cast<std::size_t>(index.row())));
    if (role == Qt::AccessibleDescriptionRole && index.row() == m_describedRow)
        return m_description;
    return {};
}

bool FileListModel::setRowDescription(int row, const QString &description) {
    if (row < 0 || row >= rowCount() || description.isEmpty())
        row = -1;
    const QString text = row < 0 ? QString() : description;
    if (row == m_describedRow && text == m_description)
        return false;
    const int before = std::exchange(m_describedRow, row);
    m_description = text;
    for (const int changed : {before, row}) {
        if (changed >= 0)
            emit dataChanged(index(changed), index(changed), {Qt::AccessibleDescriptionRole});
    }
    return true;
}

} // namespace quervelle
