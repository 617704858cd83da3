#pragma once

#include "platform/files/drives.h"

#include <QComboBox>

#include <string>
#include <vector>

namespace quervelle {

// Drive1: the drive list. Shows each drive as driveLine() gives it (the mount path, then
// " [label]" where the file system has one; on Windows "c: [Système]"). A choice by the user
// raises change(); nothing done by the program does. Each time the user opens it, opening() is
// raised first, so that the drives can be read again.
class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget *parent = nullptr);

    // Replaces the list; the drive selected before stays selected, found by its root (the mount
    // path on Linux). When it has gone, the drive holding folderShown is selected (the longest
    // root that holds it), or with no folder given the drive holding the one selected before; the
    // first drive when nothing was selected. Raises nothing.
    void setDrives(std::vector<Drive> drives, const std::string &folderShown = {});
    const std::vector<Drive> &drives() const { return m_drives; }

    // Selects the drive whose root is the longest prefix of path, without raising change().
    void selectDriveFor(const std::string &path);

    std::string drive() const; // the selected drive's driveText(), empty when none
    int listIndex() const;     // zero-based, -1 when none
    int listCount() const;

    void showPopup() override;

signals:
    void change();
    void opening(); // the user opens the list; it shows what the drives are once this returns

private:
    std::vector<Drive> m_drives;
    int m_chosen = -1; // the index selected last, by the user or the program
};

} // namespace quervelle
