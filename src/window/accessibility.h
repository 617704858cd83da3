#pragma once

// What the window tells assistive technology beyond what its controls say by themselves, and
// nothing that shows on screen:
// - the three labels are tied to their boxes, so a box is named by its label ("Fichier:") and a
//   screen reader finds the label-for and labelled-by relations;
// - "Kill" and "RmDir" say what they do in their descriptions;
// - while the date and size boxes show a file's details, the file's row carries them as its
//   description ("A été créé le: 08/12/2026 07:32:51, Taille: 1234"), so that they are heard
//   with the row: a screen reader does not read boxes that do not have the focus;
// - a list that takes the focus announces its row under the cursor, and so does the file list
//   when a click or an arrow key selects the row that was already under the cursor (Qt announces
//   a row only as it becomes current).

#include <QObject>

class QAbstractItemView;
class QLabel;
class QLineEdit;

namespace quervelle {

class FileListBox;
class FileListModel;

class WindowAccessibility final : public QObject {
    Q_OBJECT
public:
    // window holds the controls by their names. Made after the events are bound, so that the
    // file list's click reaches this after the handler has filled the boxes.
    explicit WindowAccessibility(QWidget &window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void describeSelectedFile();
    void announceCurrentRow(QAbstractItemView *list);

    FileListBox *m_files = nullptr;
    FileListModel *m_fileRows = nullptr;
    QAbstractItemView *m_folders = nullptr;
    QLineEdit *m_date = nullptr;
    QLineEdit *m_size = nullptr;
    QLabel *m_dateLabel = nullptr;
    QLabel *m_sizeLabel = nullptr;
    bool m_currentMoved = false; // the file list's current row moved since the last key or press
    bool m_describePending = false;
};

} // namespace quervelle
