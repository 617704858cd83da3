#include "support/stackfixture.h"

#include "platform/controls/dirlistbox.h"
#include "platform/controls/drivelistbox.h"
#include "platform/controls/filelistbox.h"
#include "platform/controls/filelistmodel.h"
#include "platform/platform.h"
#include "support/dialogscript.h"
#include "support/listfixtures.h"
#include "window/quervelle.h"
#include "window/wiring.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <QLocale>

#include <algorithm>
#include <ctime>
#include <stdexcept>

namespace quervelle::test {

namespace {

// A mount path that exists nowhere: the last drive, taken as the CD-ROM drive.
constexpr const char *LastDrive = "/nonexistent-cd-rom-drive";

template <typename T> T &child(const Quervelle &window, const QString &name) {
    T *found = window.findChild<T *>(name);
    if (!found)
        throw std::logic_error("the window has no control " + name.toStdString());
    return *found;
}

const FileListModel &modelOf(const FileListBox &list) {
    const auto *model = dynamic_cast<const FileListModel *>(list.model());
    if (!model)
        throw std::logic_error("File1 does not show a FileListModel");
    return *model;
}

QString fromBytes(const std::string &bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

StackFixture::StackFixture() {
    auto script = std::make_unique<DialogScript>();
    m_dialogs = script.get();
    m_window = std::make_unique<Quervelle>(std::move(script));
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window.get()))
        throw std::runtime_error("the window was never shown");
    // The errors met at start (if any) are reported once the window is up; they are not ours.
    QCoreApplication::processEvents();
    m_errorsSeen = m_dialogs->shown().size();
    m_logSeen = m_errorsSeen;
}

StackFixture::~StackFixture() = default;

DriveListBox &StackFixture::drive1() const {
    return child<DriveListBox>(*m_window, QStringLiteral("Drive1"));
}

DirListBox &StackFixture::dir1() const {
    return child<DirListBox>(*m_window, QStringLiteral("Dir1"));
}

FileListBox &StackFixture::file1() const {
    return child<FileListBox>(*m_window, QStringLiteral("File1"));
}

QLineEdit &StackFixture::text(int number) const {
    return child<QLineEdit>(*m_window, QStringLiteral("Text%1").arg(number));
}

QPushButton &StackFixture::button(int number) const {
    return child<QPushButton>(*m_window, QStringLiteral("Command%1").arg(number));
}

void StackFixture::useDrive(const std::string &driveRoot, const std::string &lastDrive) {
    const std::string last = lastDrive.empty() ? LastDrive : lastDrive;
    drive1().setDrives({Drive{"/", {}}, Drive{driveRoot, {}}, Drive{last, {}}});
    dir1().setDriveRoots({"/", driveRoot, last});
}

std::vector<std::string> StackFixture::showFolder(const std::string &folder) {
    drive1().selectDriveFor(folder);
    runAtBoundary(*m_dialogs, [this, &folder] {
        if (dir1().path() == folder) {
            // Already shown: nothing would change, so both lists read it again.
            dir1().refresh();
            file1().refresh();
        } else {
            dir1().setPath(folder);
        }
    });
    return takeErrors();
}

bool StackFixture::chooseDrive(const std::string &mountPath) {
    DriveListBox &list = drive1();
    list.showPopup();
    const std::vector<Drive> &drives = list.drives();
    const auto found = std::find_if(drives.begin(), drives.end(),
                                    [&](const Drive &d) { return d.root == mountPath; });
    if (found == drives.end()) {
        list.hidePopup();
        return false;
    }
    list.view()->setCurrentIndex(list.model()->index(int(found - drives.begin()), 0));
    QTest::keyClick(list.view(), Qt::Key_Return);
    return !list.view()->isVisible();
}

void StackFixture::openDriveList() {
    drive1().showPopup();
    drive1().hidePopup();
}

bool StackFixture::openFolder(const std::string &text) {
    DirListBox &list = dir1();
    const std::vector<std::string> rows = rowTexts(list);
    const auto found = std::find(rows.begin(), rows.end(), text);
    if (found == rows.end())
        return false;
    const QModelIndex index = list.model()->index(int(found - rows.begin()), 0);
    list.scrollTo(index);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(index).center());
    return true;
}

std::vector<std::string> StackFixture::listed() const {
    const NameList &names = modelOf(file1()).names();
    std::vector<std::string> out;
    out.reserve(names.size());
    for (std::size_t row = 0; row < names.size(); ++row)
        out.emplace_back(names.name(row));
    return out;
}

int StackFixture::rowOf(const std::string &name) const {
    return static_cast<int>(modelOf(file1()).names().find(name));
}

std::string StackFixture::shownText(int row) const {
    return file1().model()->index(row, 0).data().toString().toUtf8().toStdString();
}

bool StackFixture::clickName(const std::string &name) {
    const int row = rowOf(name);
    if (row < 0)
        return false;
    FileListBox &list = file1();
    const QModelIndex index = list.model()->index(row, 0);
    list.scrollTo(index);
    // Where a user would click: on the visible part of the row (a long name runs past the edge).
    const QRect place = list.visualRect(index).intersected(list.viewport()->rect());
    if (place.isEmpty())
        return false;
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, place.center());
    return list.fileName() == name;
}

void StackFixture::press(int command) {
    QTest::mouseClick(&button(command), Qt::LeftButton);
}

std::vector<std::string> StackFixture::kill() {
    m_dialogs->answer(AnswerOk);
    press(3);
    return takeErrors();
}

std::vector<std::string> StackFixture::createFolder(const std::string &typed) {
    m_dialogs->answerText(typed);
    press(4);
    return takeErrors();
}

std::vector<std::string> StackFixture::removeFolder() {
    m_dialogs->answer(AnswerOk);
    press(6);
    return takeErrors();
}

std::vector<std::string> StackFixture::run() {
    press(5);
    return takeErrors();
}

std::vector<std::string> StackFixture::applyPattern(const std::string &typed) {
    text(1).setText(fromBytes(typed));
    press(2);
    return takeErrors();
}

std::vector<std::string> StackFixture::takeErrors() {
    std::vector<std::string> errors;
    const std::vector<ShownDialog> &shown = m_dialogs->shown();
    for (; m_errorsSeen < shown.size(); ++m_errorsSeen) {
        if (shown[m_errorsSeen].kind == ShownDialog::Kind::UncaughtError)
            errors.push_back(shown[m_errorsSeen].prompt);
    }
    return errors;
}

std::vector<std::string> StackFixture::takeLog() {
    const QStringList lines = m_dialogs->log();
    std::vector<std::string> out;
    for (; m_logSeen < static_cast<std::size_t>(lines.size()); ++m_logSeen)
        out.push_back(lines[static_cast<qsizetype>(m_logSeen)].toStdString());
    return out;
}

bool StackFixture::scriptKeptInStep() const {
    return m_dialogs->unanswered() == 0 && m_dialogs->answersLeft() == 0;
}

void useFrenchRegionAndUtc() {
    qputenv("TZ", "UTC");
    ::tzset();
    // Qt reads the user's regional settings from these, whether or not the C library has them.
    qputenv("LC_ALL", "fr_FR.UTF-8");
    qputenv("LANG", "fr_FR.UTF-8");
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
}

QString diffExceptRemoved(const FsSnapshot &before, const FsSnapshot &after,
                          const std::vector<std::string> &removed) {
    FsSnapshot expected = before;
    for (const std::string &name : removed) {
        if (expected.erase(name) == 0)
            return QStringLiteral("not there before: %1").arg(fsShow(name));
    }
    return fsDiff(expected, after);
}

QString showLines(const std::vector<std::string> &lines) {
    QStringList out;
    for (const std::string &line : lines)
        out << fsShow(line);
    return out.join(u'\n');
}

} // namespace quervelle::test
