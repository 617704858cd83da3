#include "platform/controls/filelistbox.h"

#include "platform/controls/filelistmodel.h"
#include "platform/controls/folderwait.h"
#include "platform/files/directoryreader.h"
#include "platform/files/errors.h"
#include "platform/files/pathtext.h"
#include "platform/files/pattern.h"

#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

#include <cerrno>
#include <memory>
#include <optional>
#include <utility>

namespace quervelle {

struct FileListBox::State {
    std::string path;
    std::string pattern = "*";
    PatternMatcher matcher{"*"};
    std::shared_ptr<ListOrder> order = std::make_shared<ListOrder>();
    FileListModel model;
    std::optional<ReadyListing> offered;
};

FileListBox::FileListBox(QWidget *parent) : QListView(parent), m_state(new State) {
    setModel(&m_state->model);
    setUniformItemSizes(true);
    // The rows of a large folder are placed a few thousand at a time between events, so that
    // the window shows the first names without waiting for the last to be placed.
    setLayoutMode(QListView::Batched);
    setBatchSize(2048);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

FileListBox::~FileListBox() {
    setModel(nullptr);
    delete m_state;
}

std::string FileListBox::path() const {
    return m_state->path;
}

std::string FileListBox::fileName() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return {};
    return std::string(m_state->model.names().name(static_cast<std::size_t>(selected[0].row())));
}

int FileListBox::listCount() const {
    return m_state->model.rowCount();
}

std::string FileListBox::pattern() const {
    return m_state->pattern;
}

// A folder is taken and read. A path to something else in an existing folder takes that folder
// and selects the name (when the pattern lists it). A bare name, without a separator, selects
// that name in the list as it stands. Any other text is taken as the folder, shown empty, and the
// reason it cannot be read is thrown, so that this list and the directory list always agree.
// A relative path is taken inside the list's folder.
void FileListBox::setFileName(const std::string &given) {
    const char separator = pathtext::pathSeparator();
    if (given.find(separator) == std::string::npos) {
        const long long row = given.empty() ? -1 : m_state->model.names().find(given);
        if (row < 0)
            throw errorFromErrno(ENOENT, given);
        selectRow(static_cast<int>(row));
        return;
    }
    std::string text = given;
    if (!pathtext::isAbsolutePath(text))
        text = pathtext::join(m_state->path, given, separator);
    const std::error_code status = folderStatus(text);
    if (!status) {
        load(text);
        return;
    }
    const std::string folder = pathtext::parentOf(text, separator);
    const std::string name(pathtext::nameOf(text, separator));
    // Something other than a folder (a file, a dangling link) in a folder that exists.
    if (meansNoFolder(status) && !name.empty() && entryExists(text) && !folderStatus(folder)) {
        load(folder);
        const long long row = m_state->model.names().find(name);
        if (row >= 0)
            selectRow(static_cast<int>(row));
        return;
    }
    load(text); // throws the reason
}

void FileListBox::setPattern(const std::string &pattern) {
    m_state->pattern = pattern;
    m_state->matcher = PatternMatcher(pattern);
    refresh();
}

void FileListBox::refresh() {
    if (!m_state->path.empty()) // else no folder yet
        load(m_state->path);
}

void FileListBox::offerListing(ReadyListing files) {
    m_state->offered = std::move(files);
}

void FileListBox::load(const std::string &folder) {
    std::optional<ReadyListing> offered = std::exchange(m_state->offered, std::nullopt);
    ReadyListing listing;
    if (offered && offered->folder == folder && m_state->pattern == "*") {
        listing = std::move(*offered);
    } else {
        // The folder is taken at once, and shown empty while it is read; a read the user stops
        // leaves it so.
        {
            FileListModel::Replace replace(m_state->model);
            replace.names().clear();
            replace.names().shrinkToFit();
            m_state->path = folder;
        }
        listing = readForList(this, folder, EntryKind::File, &m_state->matcher, m_state->order);
    }
    {
        FileListModel::Replace replace(m_state->model);
        m_state->path = folder;
        replace.names() = std::move(listing.names);
        if (listing.error)
            replace.names().clear();
        replace.names().shrinkToFit();
    }
    if (listing.error)
        throw systemError(listing.error, folder);
}

void FileListBox::selectRow(int row) {
    const QModelIndex index = m_state->model.index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    // A row not placed yet cannot be scrolled to: every row is placed now, and at once from then
    // on (placing them again in batches would lose the place scrolled to).
    if (layoutMode() == QListView::Batched) {
        setLayoutMode(QListView::SinglePass);
        doItemsLayout();
    }
    scrollTo(index);
}

void FileListBox::keyPressEvent(QKeyEvent *event) {
    // Taking the focus puts the cursor on the first name without selecting it; the first arrow
    // key then selects that name rather than skipping it.
    const bool arrow = event->key() == Qt::Key_Down || event->key() == Qt::Key_Up;
    if (arrow && event->modifiers() == Qt::NoModifier && currentIndex().isValid() &&
        !selectionModel()->hasSelection()) {
        selectionModel()->setCurrentIndex(currentIndex(), QItemSelectionModel::ClearAndSelect);
        event->accept();
        emit click();
        return;
    }
    const QPersistentModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    if (currentIndex() != before && currentIndex().isValid() &&
        selectionModel()->isSelected(currentIndex()))
        emit click();
}

void FileListBox::mousePressEvent(QMouseEvent *event) {
    QListView::mousePressEvent(event);
    const QModelIndex under = indexAt(event->position().toPoint());
    if (under.isValid() && selectionModel()->isSelected(under))
        emit click();
}

void FileListBox::mouseMoveEvent(QMouseEvent *event) {
    // Dragging with the button held moves the selection too.
    const QPersistentModelIndex before = currentIndex();
    QListView::mouseMoveEvent(event);
    if ((event->buttons() & Qt::LeftButton) && currentIndex() != before &&
        currentIndex().isValid() && selectionModel()->isSelected(currentIndex()))
        emit click();
}

void FileListBox::focusOutEvent(QFocusEvent *event) {
    QListView::focusOutEvent(event);
    // Another window taking the focus, or a menu opening, is not the focus leaving the list.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit lostFocus();
}

} // namespace quervelle
