#include "window/quervelle.h"

#include "logic/handlers.h"
#include "platform/controls/dirlistbox.h"
#include "platform/controls/drivelistbox.h"
#include "platform/controls/filelistbox.h"
#include "platform/controls/startlisting.h"
#include "platform/dialogs.h"
#include "platform/files/directoryreader.h"
#include "platform/files/drives.h"
#include "platform/files/errors.h"
#include "platform/files/pathtext.h"
#include "platform/qtplatform.h"
#include "window/accessibility.h"
#include "window/accessibleinterfaces.h"
#include "window/design.h"
#include "window/fonts.h"
#include "window/wiring.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include <array>

namespace quervelle {

namespace {

using design::pixels;

enum class Kind { DirList, FileList, DriveList, TextBox, Button, Label };
enum class Look { Plain, PatternBox, TitleLabel, DateLabel, SizeLabel };

struct Design {
    const char *name;
    Kind kind;
    const char *caption; // UTF-8; for lists the accessible name; boxes take their label's
    design::Place place;
    Look look = Look::Plain;
};

// The controls in tab order.
constexpr std::array<Design, 15> DesignTable{{
    {"Dir1", Kind::DirList, "Dossiers", design::Dir1},
    {"File1", Kind::FileList, "Fichiers", design::File1},
    {"Drive1", Kind::DriveList, "Lecteurs", design::Drive1},
    {"Text1", Kind::TextBox, "", design::Text1, Look::PatternBox},
    {"Command1", Kind::Button, "Fermer", design::Command1},
    {"Command2", Kind::Button, "OK", design::Command2},
    {"Label1", Kind::Label, "Fichier:", design::Label1, Look::TitleLabel},
    {"Text2", Kind::TextBox, "", design::Text2},
    {"Label2", Kind::Label, "A été créé le:", design::Label2, Look::DateLabel},
    {"Text3", Kind::TextBox, "", design::Text3},
    {"Label3", Kind::Label, "Taille:", design::Label3, Look::SizeLabel},
    {"Command3", Kind::Button, "Kill", design::Command3},
    {"Command4", Kind::Button, "Créer dossier", design::Command4},
    {"Command5", Kind::Button, "Exécuter", design::Command5},
    {"Command6", Kind::Button, "RmDir", design::Command6},
}};

QWidget *makeControl(const Design &d, QWidget *parent) {
    const QString caption = QString::fromUtf8(d.caption);
    QWidget *w = nullptr;
    switch (d.kind) {
    case Kind::DirList:
        w = new DirListBox(parent);
        break;
    case Kind::FileList:
        w = new FileListBox(parent);
        break;
    case Kind::DriveList:
        w = new DriveListBox(parent);
        break;
    case Kind::TextBox:
        w = new QLineEdit(parent);
        break;
    case Kind::Button: {
        auto *button = new QPushButton(caption, parent);
        button->setAutoDefault(false);
        w = button;
        break;
    }
    case Kind::Label: {
        auto *label = new QLabel(caption, parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        // Transparent: the text is drawn straight over the background picture.
        label->setAutoFillBackground(false);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, Qt::transparent);
        label->setPalette(palette);
        w = label;
        break;
    }
    }
    w->setObjectName(QString::fromLatin1(d.name));
    w->setAccessibleName(caption);
    w->setGeometry(pixels(d.place.left), pixels(d.place.top), pixels(d.place.width),
                   pixels(d.place.height));

    switch (d.look) {
    case Look::Plain:
        break;
    case Look::PatternBox:
        w->setFont(designFont(12, false));
        break;
    case Look::TitleLabel: {
        w->setFont(designFont(12, true));
        QPalette palette = w->palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        w->setPalette(palette);
        break;
    }
    // The two detail labels follow the system's colours, whatever the palette becomes.
    case Look::DateLabel:
        w->setForegroundRole(QPalette::Light);
        break;
    case Look::SizeLabel:
        w->setForegroundRole(QPalette::HighlightedText);
        break;
    }
    return w;
}

} // namespace

std::unique_ptr<StartListing> readStartFolder() {
    std::error_code err;
    std::string folder = pathtext::startFolder(err);
    if (folder.empty())
        return nullptr;
    return std::make_unique<StartListing>(std::move(folder));
}

Quervelle::Quervelle(QWidget *parent) : Quervelle(nullptr, nullptr, parent) {}

Quervelle::Quervelle(std::unique_ptr<Dialogs> dialogs, QWidget *parent)
    : Quervelle(std::move(dialogs), nullptr, parent) {}

Quervelle::Quervelle(std::unique_ptr<StartListing> start, QWidget *parent)
    : Quervelle(nullptr, std::move(start), parent) {}

Quervelle::Quervelle(std::unique_ptr<Dialogs> dialogs, std::unique_ptr<StartListing> start,
                     QWidget *parent)
    : QWidget(parent), m_dialogs(std::move(dialogs)) {
    // The start folder is read while the controls are made.
    if (!start)
        start = readStartFolder();
    if (!m_dialogs)
        m_dialogs = std::make_unique<QtDialogs>(this);
    installAccessibleInterfaces();

    setWindowTitle(QStringLiteral("Quervelle de fichiers"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(pixels(design::ClientWidth), pixels(design::ClientHeight));
    setFont(designFont(8, false));
    m_background = QImage(QStringLiteral(":/quervelle/background.bmp"));

    createControls();
    chainTabOrder();

    Controls controls;
    controls.drive1 = findChild<DriveListBox *>(QStringLiteral("Drive1"));
    controls.dir1 = findChild<DirListBox *>(QStringLiteral("Dir1"));
    controls.file1 = findChild<FileListBox *>(QStringLiteral("File1"));
    controls.text1 = findChild<QLineEdit *>(QStringLiteral("Text1"));
    controls.text2 = findChild<QLineEdit *>(QStringLiteral("Text2"));
    controls.text3 = findChild<QLineEdit *>(QStringLiteral("Text3"));
    m_platform = std::make_unique<QtPlatform>(controls, *m_dialogs, [this] { close(); });
    m_handlers = std::make_unique<Handlers>(*m_platform, m_variables);
    m_boundary = std::make_unique<EventBoundary>(*m_dialogs);

    startLists(std::move(start));
    bindEvents();
    m_accessibility = std::make_unique<WindowAccessibility>(*this);
}

Quervelle::~Quervelle() {
    // The controls outlive this body (QWidget deletes its children later) and may still
    // signal, for instance File1 losing the focus; no handler may run from here on.
    for (const QMetaObject::Connection &binding : m_bindings)
        disconnect(binding);
    findChild<DirListBox *>(QStringLiteral("Dir1"))->setOpenBoundary({});
}

void Quervelle::createControls() {
    for (const Design &d : DesignTable)
        makeControl(d, this);

    // The date and size boxes show what the program puts there; their text can be selected
    // and copied but not typed over.
    // The two pixels of inner margin on each side are given to the text: a date with seconds
    // ("28/12/2026 23:58:59") is otherwise a few pixels too wide for its box and scrolls out.
    for (const char *name : {"Text2", "Text3"}) {
        auto *box = findChild<QLineEdit *>(QLatin1String(name));
        box->setReadOnly(true);
        box->setTextMargins(-2, 0, -2, 0);
    }

    // Enter in the pattern box answers "OK".
    auto *text1 = findChild<QLineEdit *>(QStringLiteral("Text1"));
    auto *command2 = findChild<QPushButton *>(QStringLiteral("Command2"));
    connect(text1, &QLineEdit::returnPressed, command2, &QPushButton::click);
}

void Quervelle::chainTabOrder() {
    QWidget *previous = nullptr;
    for (const Design &d : DesignTable) {
        if (d.kind == Kind::Label)
            continue;
        QWidget *w = findChild<QWidget *>(QLatin1String(d.name));
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

// The lists start at the folder the program was started in: its drive selected, the
// directory list showing it, the file list listing it under the default pattern. The drives
// come first, so that the start folder is held for its own drive and no other; then both lists
// take the start folder as it was read once for the two of them.
void Quervelle::startLists(std::unique_ptr<StartListing> start) {
    auto *drive1 = findChild<DriveListBox *>(QStringLiteral("Drive1"));
    auto *dir1 = findChild<DirListBox *>(QStringLiteral("Dir1"));
    auto *file1 = findChild<FileListBox *>(QStringLiteral("File1"));
    auto note = [this](const std::string &message) {
        for (const std::string &seen : m_startErrors)
            if (seen == message)
                return;
        m_startErrors.push_back(message);
    };
    auto step = [&](const std::function<void()> &body) {
        try {
            body();
        } catch (const ReadStopped &) {
            // stopped by the user: the list shows the folder empty, nothing to say
        } catch (...) {
            note(uncaughtErrorMessage(std::current_exception()));
        }
    };

    std::vector<Drive> drives;
    try {
        drives = currentDrives();
    } catch (...) {
        m_drivesUnread = uncaughtErrorMessage(std::current_exception());
        note(m_drivesUnread);
    }
    if (drives.empty())
        drives.push_back(systemDrive());
    std::string folder;
    if (start) {
        folder = start->folder();
        step([&] {
            StartListing::Lists lists = start->take();
            dir1->offerListing(std::move(lists.folders));
            file1->offerListing(std::move(lists.files));
        });
    } else {
        std::error_code err;
        folder = pathtext::startFolder(err);
        if (folder.empty()) {
            note(std::string("Dossier de départ illisible (") + systemError(err, {}).what() + ")");
            folder = drives.front().root;
        }
    }

    giveDrives(std::move(drives));
    drive1->selectDriveFor(folder);
    step([&] { dir1->setPath(folder); });
    step([&] { file1->setFileName(folder); });
}

void Quervelle::giveDrives(std::vector<Drive> drives) {
    auto *dir1 = findChild<DirListBox *>(QStringLiteral("Dir1"));
    std::vector<std::string> roots;
    for (const Drive &d : drives)
        roots.push_back(d.root);
    dir1->setDriveRoots(std::move(roots));
    findChild<DriveListBox *>(QStringLiteral("Drive1"))->setDrives(std::move(drives), dir1->path());
}

// The user opens Drive1: disks may have come or gone since it was read. A failure keeps the
// list as it is and says why, once: not again while the drives stay unreadable for that reason.
void Quervelle::readDrivesAgain() {
    std::string why;
    try {
        std::vector<Drive> drives = currentDrives();
        m_drivesUnread.clear();
        if (!drives.empty())
            giveDrives(std::move(drives));
        return;
    } catch (...) {
        why = uncaughtErrorMessage(std::current_exception());
    }
    if (why == m_drivesUnread)
        return;
    m_drivesUnread = why;
    m_dialogs->uncaughtError(why);
}

void Quervelle::bindEvents() {
    // Dir1 can reach a folder of another drive of its own (a drive mounted in a folder it
    // lists): Drive1 then selects the drive holding the folder shown, before any handler reads
    // it, so that the drive rules apply to the drive acted on.
    auto *drive1 = findChild<DriveListBox *>(QStringLiteral("Drive1"));
    auto *dir1 = findChild<DirListBox *>(QStringLiteral("Dir1"));
    m_bindings.push_back(connect(dir1, &DirListBox::change, drive1,
                                 [dir1, drive1] { drive1->selectDriveFor(dir1->path()); }));
    for (const WiringRow &row : wiringTable()) {
        QObject *control =
            findChild<QObject *>(QLatin1String(row.control.data(), qsizetype(row.control.size())));
        auto fire = [this, &row] { run(row); };
        QMetaObject::Connection binding;
        if (row.event == "Change") {
            if (auto *drive = qobject_cast<DriveListBox *>(control))
                binding = connect(drive, &DriveListBox::change, this, fire);
            else if (auto *dir = qobject_cast<DirListBox *>(control))
                binding = connect(dir, &DirListBox::change, this, fire);
        } else if (row.event == "Click") {
            if (auto *file = qobject_cast<FileListBox *>(control))
                binding = connect(file, &FileListBox::click, this, fire);
            else if (auto *button = qobject_cast<QPushButton *>(control))
                binding = connect(button, &QPushButton::clicked, this, fire);
        } else if (row.event == "LostFocus") {
            if (auto *file = qobject_cast<FileListBox *>(control))
                binding = connect(file, &FileListBox::lostFocus, this, fire);
        }
        Q_ASSERT_X(binding, "Quervelle::bindEvents", "a wiring row names no control event");
        m_bindings.push_back(binding);
    }
    // Opening a folder from Dir1 itself is the list's own behaviour, not a handler, but it is
    // an event: what it fails on is shown at the boundary, once with its Change handler's.
    dir1->setOpenBoundary([this](const std::function<void()> &open) { m_boundary->run(open); });
    m_bindings.push_back(
        connect(drive1, &DriveListBox::opening, this, &Quervelle::readDrivesAgain));
}

void Quervelle::run(const WiringRow &row) {
    ++m_handlersRun;
    if (m_handlerStarting)
        m_handlerStarting(row.handler);
    m_boundary->run([this, &row] { (m_handlers.get()->*row.run)(); });
}

void Quervelle::reportStartErrors() {
    for (const std::string &message : m_startErrors)
        m_dialogs->uncaughtError(message);
}

void Quervelle::paintEvent(QPaintEvent *) {
    // Unscaled from the top-left corner; what lies beyond the client area is cut off.
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_background);
}

void Quervelle::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (!m_startErrorsShown && !m_startErrors.empty()) {
        m_startErrorsShown = true;
        // After the window is on screen, so that the boxes have it as their owner.
        QMetaObject::invokeMethod(this, &Quervelle::reportStartErrors, Qt::QueuedConnection);
    }
}

} // namespace quervelle
