#include "platform/controls/filelistmodel.h"

#include "platform/controls/nameorder.h"

#include <limits>

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
    return {};
}

} // namespace quervelle
