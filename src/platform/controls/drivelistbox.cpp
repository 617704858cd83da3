#include "platform/controls/drivelistbox.h"

#include "platform/files/pathtext.h"

#include <algorithm>

namespace quervelle {

namespace {

QString driveLine(const Drive &drive) {
    const std::string line = quervelle::driveLine(drive, pathtext::pathSeparator());
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

} // namespace

DriveListBox::DriveListBox(QWidget *parent) : QComboBox(parent) {
    setEditable(false);
    // activated() comes from the user only (mouse or keyboard), never from setCurrentIndex().
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index == m_chosen)
            return; // the drive already selected: nothing changed
        m_chosen = index;
        emit change();
    });
}

void DriveListBox::setDrives(std::vector<Drive> drives, const std::string &folderShown) {
    const int index = currentIndex();
    const std::string selected = index >= 0 && static_cast<std::size_t>(index) < m_drives.size()
                                     ? m_drives[static_cast<std::size_t>(index)].root
                                     : std::string();
    m_drives = std::move(drives);
    clear();
    for (const Drive &d : m_drives)
        addItem(driveLine(d));
    m_chosen = -1;
    if (m_drives.empty())
        return;
    const auto kept = std::find_if(m_drives.begin(), m_drives.end(),
                                   [&](const Drive &d) { return d.root == selected; });
    if (kept != m_drives.end()) {
        setCurrentIndex(static_cast<int>(kept - m_drives.begin()));
        m_chosen = currentIndex();
    } else if (selected.empty()) {
        selectDriveFor(m_drives.front().root);
    } else {
        selectDriveFor(folderShown.empty() ? selected : folderShown);
    }
}

void DriveListBox::showPopup() {
    emit opening();
    QComboBox::showPopup();
}

void DriveListBox::selectDriveFor(const std::string &path) {
    std::vector<std::string> roots;
    roots.reserve(m_drives.size());
    for (const Drive &d : m_drives)
        roots.push_back(d.root);
    const auto best = pathtext::longestRootHolding(roots, path, pathtext::pathSeparator());
    if (!best)
        return;
    setCurrentIndex(static_cast<int>(*best));
    m_chosen = static_cast<int>(*best);
}

std::string DriveListBox::drive() const {
    const int index = currentIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= m_drives.size())
        return {};
    return driveText(m_drives[static_cast<std::size_t>(index)], pathtext::pathSeparator());
}

int DriveListBox::listIndex() const {
    return currentIndex();
}

int DriveListBox::listCount() const {
    return count();
}

} // namespace quervelle
