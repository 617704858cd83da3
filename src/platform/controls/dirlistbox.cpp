#include "platform/controls/dirlistbox.h"

#include "platform/controls/busycursor.h"
#include "platform/controls/dirlistmodel.h"
#include "platform/controls/nameorder.h"
#include "platform/controls/namesort.h"
#include "platform/files/directoryreader.h"
#include "platform/files/errors.h"
#include "platform/files/pathtext.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <cerrno>
#include <map>

namespace quervelle {

namespace {

// Draws each row shifted right by its depth in the tree.
class IndentDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(shifted.rect.left() + indentOf(index));
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    static int indentOf(const QModelIndex &index) {
        return index.data(DirListModel::DepthRole).toInt() * step;
    }

    static constexpr int step = 12;
};

char sep() {
    return pathtext::pathSeparator();
}

std::string normalized(const std::string &path) {
    return pathtext::normalized(path, sep());
}

std::string parentOf(const std::string &path) {
    return pathtext::parentOf(path, sep());
}

std::string childOf(const std::string &folder, std::string_view name) {
    return pathtext::join(folder, name, sep());
}

bool hasVanished(const std::string &path) {
    return meansNoFolder(folderStatus(path));
}

} // namespace

struct DirListBox::State {
    std::vector<std::string> roots;          // normalized mount paths
    std::map<std::string, std::string> held; // drive's mount path -> folder held for it
    std::string path;                        // the folder shown
    std::string root;                        // the root of its drive, the top row
    NameOrder order;
    NameOrder helperOrder;
    DirListModel model;
    IndentDelegate delegate;

    std::string rootFor(const std::string &folder) const {
        if (const auto drive = pathtext::longestRootHolding(roots, folder, sep()))
            return roots[*drive];
        if (folder.size() >= 3 && folder[1] == ':')
            return folder.substr(0, 3);
        return std::string(1, sep());
    }

    // The texts of the open rows for path under root.
    std::vector<std::string> ancestorRows() const {
        std::vector<std::string> rows{root};
        if (!pathtext::liesUnder(path, root, sep()))
            return rows;
        std::size_t start = root.size();
        while (start < path.size()) {
            if (path[start] == sep()) {
                ++start;
                continue;
            }
            std::size_t end = path.find(sep(), start);
            if (end == std::string::npos)
                end = path.size();
            rows.push_back(path.substr(start, end - start));
            start = end;
        }
        return rows;
    }

    std::string pathOfRow(int row) const {
        const int open = model.ancestorCount();
        if (row >= open)
            return childOf(path, model.folders().name(static_cast<std::size_t>(row - open)));
        std::string folder = root;
        for (int i = 1; i <= row; ++i)
            folder = childOf(folder, model.ancestors()[static_cast<std::size_t>(i)]);
        return folder;
    }
};

DirListBox::DirListBox(QWidget *parent) : QListView(parent), m_state(new State) {
    m_state->model.setIcons(style()->standardIcon(QStyle::SP_DirOpenIcon),
                            style()->standardIcon(QStyle::SP_DirClosedIcon));
    setModel(&m_state->model);
    setItemDelegate(&m_state->delegate);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // At start the list shows the folder the program was started in.
    try {
        int err = 0;
        const std::string start = pathtext::startFolder(err);
        if (!start.empty())
            load(normalized(start));
    } catch (const PlatformError &) {
        // Taken and shown empty; nobody is there yet to be told.
    }
}

DirListBox::~DirListBox() {
    setModel(nullptr);
    setItemDelegate(nullptr);
    delete m_state;
}

void DirListBox::setDriveRoots(std::vector<std::string> mountPaths) {
    m_state->roots.clear();
    for (const std::string &mountPath : mountPaths)
        m_state->roots.push_back(normalized(mountPath));
    m_state->root = m_state->rootFor(m_state->path);
    if (!m_state->path.empty())
        m_state->held[m_state->root] = m_state->path;
    {
        DirListModel::Replace replace(m_state->model);
        replace.ancestors() = m_state->ancestorRows();
    }
    highlightShown();
}

std::string DirListBox::path() const {
    return m_state->path;
}

// An empty text names no folder and is refused; a relative one is taken inside the folder shown.
void DirListBox::setPath(const std::string &path) {
    if (path.empty())
        throw errorFromErrno(ENOENT, path);
    // A drive's text on Windows ("c: [Système]") names that drive by its first two characters.
    const std::optional<std::string> driveRoot = pathtext::driveRootNamed(path, sep());
    std::string target =
        driveRoot
            ? *driveRoot
            : normalized(pathtext::isAbsolutePath(path) ? path : childOf(m_state->path, path));
    for (const std::string &root : m_state->roots) {
        if (root != target)
            continue;
        if (const auto held = m_state->held.find(root); held != m_state->held.end())
            target = held->second;
        while (target != root && hasVanished(target) && parentOf(target) != target)
            target = parentOf(target);
        break;
    }
    showFolder(target);
}

void DirListBox::refresh() {
    std::string target = m_state->path;
    while (hasVanished(target) && parentOf(target) != target)
        target = parentOf(target);
    if (target != m_state->path) {
        showFolder(target);
        return;
    }
    load(target);
}

void DirListBox::showFolder(const std::string &folder) {
    if (folder == m_state->path)
        return;
    int err = 0;
    try {
        load(folder);
    } catch (const PlatformError &error) {
        err = error.osError();
    }
    emit change();
    if (err != 0)
        throw systemError(err, folder);
}

void DirListBox::load(const std::string &folder) {
    BusyCursor busy;
    int err = 0;
    {
        DirListModel::Replace replace(m_state->model);
        NameList &folders = replace.folders();
        folders.clear();
        m_state->path = folder;
        m_state->root = m_state->rootFor(folder);
        m_state->held[m_state->root] = folder;
        replace.ancestors() = m_state->ancestorRows();
        err = readFolder(folder, EntryKind::Folder, nullptr, folders,
                         [&busy](std::size_t seen) { busy.update(seen); });
        if (err != 0) {
            folders.clear();
        } else {
            busy.update(folders.size());
            sortNames(folders, m_state->order, &m_state->helperOrder);
            folders.shrinkToFit();
        }
    }
    highlightShown();
    if (err != 0)
        throw systemError(err, folder);
}

void DirListBox::highlightShown() {
    const QModelIndex shown = m_state->model.index(m_state->model.ancestorCount() - 1, 0);
    selectionModel()->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect);
}

// Opening from the list itself goes to exactly the folder chosen (a drive's root included).
// It runs inside an input event, where nothing may be thrown: a failure is handed on by
// openFailed() instead.
void DirListBox::open(const QModelIndex &index) {
    if (!index.isValid())
        return;
    try {
        showFolder(m_state->pathOfRow(index.row()));
    } catch (const std::exception &error) {
        emit openFailed(QString::fromUtf8(error.what()));
    }
}

void DirListBox::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        open(currentIndex());
        return;
    }
    QListView::keyPressEvent(event);
}

void DirListBox::mouseDoubleClickEvent(QMouseEvent *event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid()) {
        event->accept();
        open(index);
        return;
    }
    QListView::mouseDoubleClickEvent(event);
}

} // namespace quervelle
