#include "platform/drivelistbox.h"

namespace quervelle {

namespace {

QString driveText(const Drive &drive) {
    QString text =
        QString::fromUtf8(drive.mountPath.data(), static_cast<qsizetype>(drive.mountPath.size()));
    if (!drive.label.empty())
        text += QStringLiteral(" [") +
                QString::fromUtf8(drive.label.data(), static_cast<qsizetype>(drive.label.size())) +
                u']';
    return text;
}

// mountPath is path itself or one of its folders.
bool holds(const std::string &mountPath, const std::string &path) {
    if (path.compare(0, mountPath.size(), mountPath) != 0)
        return false;
    return path.size() == mountPath.size() || mountPath.back() == '/' ||
           path[mountPath.size()] == '/';
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

void DriveListBox::setDrives(std::vector<Drive> drives) {
    const std::string selected = drive();
    m_drives = std::move(drives);
    clear();
    for (const Drive &d : m_drives)
        addItem(driveText(d));
    m_chosen = -1;
    if (!m_drives.empty())
        selectDriveFor(selected.empty() ? m_drives.front().mountPath : selected);
}

void DriveListBox::selectDriveFor(const std::string &path) {
    int best = -1;
    std::size_t bestLength = 0;
    for (std::size_t i = 0; i < m_drives.size(); ++i) {
        const std::string &mountPath = m_drives[i].mountPath;
        if (!mountPath.empty() && holds(mountPath, path) &&
            (best < 0 || mountPath.size() > bestLength)) {
            best = static_cast<int>(i);
            bestLength = mountPath.size();
        }
    }
    if (best < 0)
        return;
    setCurrentIndex(best);
    m_chosen = best;
}

std::string DriveListBox::drive() const {
    const int index = currentIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= m_drives.size())
        return {};
    return m_drives[static_cast<std::size_t>(index)].mountPath;
}

int DriveListBox::listIndex() const {
    return currentIndex();
}

int DriveListBox::listCount() const {
    return count();
}

} // namespace quervelle
