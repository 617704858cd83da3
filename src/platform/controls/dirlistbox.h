#pragma once

#include "platform/files/directoryreader.h"

#include <QListView>

#include <functional>
#include <string>
#include <vector>

namespace quervelle {

// Dir1: the directory list. The drive's root at the top, the folders down to the one shown,
// then its sub-folders, indented like a tree; it never goes above the drive's root. A click
// only highlights; a double click or Enter opens the highlighted folder.
class DirListBox : public QListView {
    Q_OBJECT
public:
    // The design's folder pictures and the distance between rows, in pixels: eight rows fit in
    // the list's design height.
    static constexpr int IconSize = 16;
    static constexpr int RowPitch = 18;

    explicit DirListBox(QWidget *parent = nullptr); // empty until a path is set; reads nothing
    ~DirListBox() override;

    // The mount paths of the drives, given again whenever they are read again. Setting Path to
    // one of them shows the folder held for that drive: the last one shown while it was
    // selected, at first its mount path, and always a folder of that drive. Nothing is held for
    // a drive before the drives are known.
    void setDriveRoots(std::vector<std::string> mountPaths);

    std::string path() const;

    // Shows that folder and raises change() when it differs from the folder shown. A folder that
    // cannot be read is still taken (the list shows no sub-folders) and PlatformError is thrown.
    void setPath(const std::string &path);

    // Re-reads the folder shown; a folder that has vanished gives way to its nearest existing
    // ancestor (raising change()), never above the root of its drive.
    void refresh();

    // Sub-folders of a folder read elsewhere (at start, once for both lists), in list order. The
    // next reading of exactly that folder takes them instead; any reading drops them.
    void offerListing(ReadyListing folders);

    // Opening a folder from the list (double click, Enter) happens inside an input event, where
    // nothing may be thrown. The window runs it as one of its events, at its error boundary, so
    // that the failure the Change handler has met and shown already is not shown again. Without
    // a boundary, a failure is handed on by openFailed().
    using Boundary = std::function<void(const std::function<void()> &open)>;
    void setOpenBoundary(Boundary boundary);

signals:
    void change();

    // Opening a folder from the list (double click, Enter), with no open boundary given,
    // failed; the French sentence saying why. The folder is still taken, as with setPath().
    void openFailed(const QString &message);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void showFolder(const std::string &folder); // takes it and raises change() when it differs
    void load(const std::string &folder);       // takes it and reads it, raising nothing
    void highlightShown();
    void open(const QModelIndex &index);

    struct State;
    State *m_state = nullptr;
};

} // namespace quervelle
