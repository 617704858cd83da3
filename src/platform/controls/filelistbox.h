#pragma once

#include "platform/files/directoryreader.h"

#include <QListView>

#include <string>

namespace quervelle {

// File1: the file list. The regular files of its folder (and links to them) whose names match
// the pattern, in case-insensitive natural order; names starting with "." are hidden. Names
// are kept as their exact bytes; only their display decodes them.
class FileListBox : public QListView {
    Q_OBJECT
public:
    explicit FileListBox(QWidget *parent = nullptr); // empty until given a folder; reads nothing
    ~FileListBox() override;

    std::string path() const;
    std::string fileName() const; // the selected name, no folder; empty when none
    int listCount() const;        // every entry listed, not saturated
    std::string pattern() const;

    // A folder path given here becomes the list's path and the folder is read at once, under the
    // current pattern; the selection is cleared. A folder that cannot be read is still taken
    // (the list shows no names) and PlatformError is thrown. A path to a file in an existing
    // folder takes that folder and selects the file; a bare name selects it in the list as it
    // is (PlatformError when it is not listed). Selecting this way raises no click().
    void setFileName(const std::string &text);
    void setPattern(const std::string &pattern); // re-reads the folder; throws like setFileName
    void refresh();                              // re-reads the folder; throws like setFileName

    // Files of a folder read elsewhere (at start, once for both lists), in list order, under the
    // default pattern "*". The next reading of exactly that folder under that pattern takes
    // them instead; any reading drops them.
    void offerListing(ReadyListing files);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

signals:
    void click();     // a name clicked, or the selection moved by keyboard
    void lostFocus(); // the focus left the list

private:
    void load(const std::string &folder);
    void selectRow(int row);

    struct State;
    State *m_state = nullptr;
};

} // namespace quervelle
