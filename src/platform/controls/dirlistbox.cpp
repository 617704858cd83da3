#include "platform/controls/dirlistbox.h"

#include "platform/controls/dirlistmodel.h"
#include "platform/controls/folderwait.h"
#include "platform/files/directoryreader.h"
#include "platform/files/errors.h"
#include "platform/files/pathtext.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <cerrno>
#include <exception>
#include <map>
#include <optional>
#include <utility>

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

    // Rows a fixed distance apart, whatever the font, so the list shows as many as designed.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), DirListBox::RowPitch};
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

// The open and closed folder pictures that ship with Qt's widgets, the same on every desktop.
// Asking the style for them searches the icon themes first, file by file, which took longer
// than building all the rest of the window. Drawn at 16 px; the 32 px form serves a screen
// scaled twice.
QIcon folderIcon(const char *name) {
    QIcon icon;
    for (const int size : {DirListBox::IconSize, 2 * DirListBox::IconSize})
        icon.addFile(QStringLiteral(":/qt-project.org/styles/commonstyle/images/%1-%2.png")
                         .arg(QLatin1String(name))
                         .arg(size),
                     QSize(size, size));
    return icon;
}

bool hasVanished(const std::string &path) {
    return meansNoFolder(folderStatus(path));
}

} // namespace

struct DirListBox::State {
    std::vector<std::string> roots;          // normalized mount paths
    std::map<std::string, std::string> held; // drive's mount path -> folder held for it
    Boundary openBoundary;
    std::string path; // the folder shown
    std::string root; // the root of its drive, the top row
    std::shared_ptr<ListOrder> order = std::make_shared<ListOrder>();
    DirListModel model;
    IndentDelegate delegate;
    std::optional<ReadyListing> offered;

    bool onKnownDrive(const std::string &folder) const {
        return pathtext::longestRootHolding(roots, folder, sep()).has_value();
    }

    std::string rootFor(const std::string &folder) const {
        return pathtext::driveRootOf(roots, folder, sep());
    }

    // The texts of the open rows for path under root.
    std::vector<std::string> ancestorRows() const {
        std::vector<std::string> rows{root};
        for (std::string &name : pathtext::namesBelow(path, root, sep()))
            rows.push_back(std::move(name));
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
    m_state->model.setIcons(folderIcon("diropen"), folderIcon("dirclosed"));
    setModel(&m_state->model);
    setItemDelegate(&m_state->delegate);
    setIconSize(QSize(IconSize, IconSize)); // the style's own size for list pictures is larger
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
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
    if (m_state->path.empty())
        return; // nothing shown yet
    // The folder shown stays; a drive mounted or unmounted may have changed the drive holding it.
    m_state->root = m_state->rootFor(m_state->path);
    if (m_state->onKnownDrive(m_state->path))
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
        const auto held = m_state->held.find(root);
        if (held != m_state->held.end() && pathtext::liesUnder(held->second, root, sep()))
            target = held->second;
        // A held folder that has vanished, or that a drive mounted since then now holds, gives
        // way to its nearest ancestor on this drive.
        while (target != root && (hasVanished(target) || m_state->rootFor(target) != root))
            target = parentOf(target);
        break;
    }
    showFolder(target);
}

void DirListBox::refresh() {
    if (m_state->path.empty())
        return; // nothing shown yet
    const std::string root = m_state->root;
    std::string target = m_state->path;
    while (target != root && hasVanished(target) && pathtext::liesUnder(target, root, sep()))
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
    // Taken even when it cannot be read, or its read is stopped, so the file list follows it.
    std::exception_ptr failure;
    try {
        load(folder);
    } catch (const PlatformError &) {
        failure = std::current_exception();
    } catch (const ReadStopped &) {
        failure = std::current_exception();
    }
    emit change();
    if (failure)
        std::rethrow_exception(failure);
}

void DirListBox::offerListing(ReadyListing folders) {
    m_state->offered = std::move(folders);
}

void DirListBox::load(const std::string &folder) {
    std::optional<ReadyListing> offered = std::exchange(m_state->offered, std::nullopt);
    // The folder is taken at once, its sub-folders shown only once read; a read the user stops
    // leaves it without them.
    {
        DirListModel::Replace replace(m_state->model);
        replace.folders().clear();
        replace.folders().shrinkToFit();
        m_state->path = folder;
        m_state->root = m_state->rootFor(folder);
        if (m_state->onKnownDrive(folder))
            m_state->held[m_state->root] = folder;
        replace.ancestors() = m_state->ancestorRows();
    }
    highlightShown();
    ReadyListing listing;
    if (offered && normalized(offered->folder) == folder)
        listing = std::move(*offered);
    else
        listing = readForList(this, folder, EntryKind::Folder, nullptr, m_state->order);
    {
        DirListModel::Replace replace(m_state->model);
        replace.folders() = std::move(listing.names);
        if (listing.error)
            replace.folders().clear();
        replace.folders().shrinkToFit();
    }
    highlightShown();
    if (listing.error)
        throw systemError(listing.error, folder);
}

void DirListBox::highlightShown() {
    const QModelIndex shown = m_state->model.index(m_state->model.ancestorCount() - 1, 0);
    selectionModel()->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect);
}

void DirListBox::setOpenBoundary(Boundary boundary) {
    m_state->openBoundary = std::move(boundary);
}

// Opening from the list itself goes to exactly the folder chosen (a drive's root included).
void DirListBox::open(const QModelIndex &index) {
    if (!index.isValid())
        return;
    const std::string folder = m_state->pathOfRow(index.row());
    const auto showIt = [this, &folder] { showFolder(folder); };
    if (m_state->openBoundary) {
        m_state->openBoundary(showIt);
        return;
    }
    try {
        showIt();
    } catch (const ReadStopped &) {
        // stopped by the user: nothing to say
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
