#include "platform/controls/dirlistmodel.h"

#include "platform/controls/nameorder.h"

#include <limits>

namespace quervelle {

void DirListModel::setIcons(QIcon openFolder, QIcon closedFolder) {
    m_openFolder = std::move(openFolder);
    m_closedFolder = std::move(closedFolder);
}

int DirListModel::rowCount(const QModelIndex &parent) const {
    if (parent.isValid())
        return 0;
    constexpr std::size_t most = std::numeric_limits<int>::max();
    return static_cast<int>(std::min(m_ancestors.size() + m_folders.size(), most));
}

QVariant DirListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const bool open = row < m_ancestors.size();
    switch (role) {
    case Qt::DisplayRole:
        return NameOrder::decode(open ? std::string_view(m_ancestors[row])
                                      : m_folders.name(row - m_ancestors.size()));
    case Qt::DecorationRole:
        return open ? m_openFolder : m_closedFolder;
    case DepthRole:
        return open ? index.row() : ancestorCount();
    case OpenRole:
        return open;
    case Qt::AccessibleDescriptionRole:
        return QStringLiteral("niveau %1").arg((open ? index.row() : ancestorCount()) + 1);
    default:
        return {};
    }
}

} // namespace quervelle
