#include "platform/controls/dirlistbox.h"
#include "platform/controls/dirlistmodel.h"
#include "platform/files/errors.h"
#include "support/listfixtures.h"
#include "support/permissions.h"
#include "support/skipping.h"

#include <QSignalSpy>
#include <QTest>

#include <optional>

#include <sys/stat.h>

using quervelle::DirListBox;
using quervelle::DirListModel;
using quervelle::ErrorKind;
using quervelle::PlatformError;
using namespace quervelle::test;

namespace {

using Names = std::vector<std::string>;

// "@" stands for the temporary folder in the texts of a test row.
std::string expand(const std::string &text, const std::string &root) {
    std::string out;
    for (char c : text) {
        if (c == '@')
            out += root;
        else
            out += c;
    }
    return out;
}

Names expandAll(const QStringList &texts, const std::string &root) {
    Names out;
    for (const QString &text : texts)
        out.push_back(expand(text.toStdString(), root));
    return out;
}

std::vector<int> depths(const DirListBox &list) {
    std::vector<int> out;
    for (int row = 0; row < list.model()->rowCount(); ++row)
        out.push_back(list.model()->index(row, 0).data(DirListModel::DepthRole).toInt());
    return out;
}

int rowOf(const DirListBox &list, const std::string &text) {
    const Names texts = rowTexts(list);
    for (std::size_t row = 0; row < texts.size(); ++row) {
        if (texts[row] == text)
            return int(row);
    }
    return -1;
}

const Names tree = {"d:a",
                    "d:a/b",
                    "d:a/b/c",
                    "d:a/b/d",
                    "d:a/b/.hidden",
                    "f:a/b/file",
                    "l:a/b/link>c",
                    "l:a/b/dangling>nowhere",
                    "l:a/b/tofile>file",
                    "d:ab",
                    "d:a/x"};

} // namespace

Q_DECLARE_METATYPE(std::vector<int>)

class TestDirList : public QObject {
    Q_OBJECT
private slots:
    void treeRows_data();
    void treeRows();
    void open_data();
    void open();
    void singleClickOnlyHighlights();
    void samePathRaisesNothing();
    void setPathTexts_data();
    void setPathTexts();
    void heldFolderPerDrive_data();
    void heldFolderPerDrive();
    void refreshOfVanishedFolder();
    void unreadableFolder_data();
    void unreadableFolder();
    void openFailureIsReported();
};

void TestDirList::treeRows_data() {
    QTest::addColumn<QStringList>("roots");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<std::vector<int>>("depths");
    QTest::addColumn<int>("shownRow");
    QTest::addColumn<QString>("shownPath");

    QTest::newRow("root, ancestors, then sub-folders and links to folders")
        << QStringList{"@"} << "@/a/b" << QStringList{"@", "a", "b", "c", "d", "link"}
        << std::vector<int>{0, 1, 2, 3, 3, 3} << 2 << "@/a/b";
    QTest::newRow("the root shown alone with its sub-folders")
        << QStringList{"@"} << "@" << QStringList{"@", "a", "ab"} << std::vector<int>{0, 1, 1} << 0
        << "@";
    QTest::newRow("a folder without sub-folders")
        << QStringList{"@"} << "@/a/b/c" << QStringList{"@", "a", "b", "c"}
        << std::vector<int>{0, 1, 2, 3} << 3 << "@/a/b/c";
    QTest::newRow("the longest drive root is the top")
        << QStringList{"@", "@/a"} << "@/a/b/c" << QStringList{"@/a", "b", "c"}
        << std::vector<int>{0, 1, 2} << 2 << "@/a/b/c";
    QTest::newRow("a root is a whole component, not a prefix")
        << QStringList{"@", "@/a"} << "@/ab" << QStringList{"@", "ab"} << std::vector<int>{0, 1}
        << 1 << "@/ab";
    QTest::newRow("trailing and doubled separators are tidied")
        << QStringList{"@"} << "@//a/b/c/" << QStringList{"@", "a", "b", "c"}
        << std::vector<int>{0, 1, 2, 3} << 3 << "@/a/b/c";
}

void TestDirList::treeRows() {
    QFETCH(QStringList, roots);
    QFETCH(QString, path);
    QFETCH(QStringList, rows);
    QFETCH(std::vector<int>, depths);
    QFETCH(int, shownRow);
    QFETCH(QString, shownPath);
    ListFolder dir;
    QVERIFY(dir.isValid());
    makeEntries(dir.path(), tree);
    DirListBox list;
    list.setDriveRoots(expandAll(roots, dir.path()));
    list.setPath(expand(path.toStdString(), dir.path()));
    QCOMPARE(list.path(), expand(shownPath.toStdString(), dir.path()));
    QCOMPARE(rowTexts(list), expandAll(rows, dir.path()));
    QCOMPARE(::depths(list), depths);
    QCOMPARE(list.currentIndex().row(), shownRow); // the folder shown is highlighted
}

void TestDirList::open_data() {
    QTest::addColumn<QString>("row"); // the text of the row acted on
    QTest::addColumn<bool>("byKey");  // Enter on the highlighted row, else a double click
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("changes");
    QTest::newRow("double click a sub-folder") << "c" << false << "@/a/b/c" << 1;
    QTest::newRow("Enter on a sub-folder") << "d" << true << "@/a/b/d" << 1;
    QTest::newRow("double click a link to a folder") << "link" << false << "@/a/b/link" << 1;
    QTest::newRow("double click an ancestor") << "a" << false << "@/a" << 1;
    QTest::newRow("Enter on the drive root") << "@" << true << "@" << 1;
    QTest::newRow("double click the folder shown") << "b" << false << "@/a/b" << 0;
}

void TestDirList::open() {
    QFETCH(QString, row);
    QFETCH(bool, byKey);
    QFETCH(QString, path);
    QFETCH(int, changes);
    ListFolder dir;
    QVERIFY(dir.isValid());
    makeEntries(dir.path(), tree);
    DirListBox list;
    list.resize(300, 400);
    list.setDriveRoots({dir.path()});
    list.setPath(dir.path() + "/a/b");
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setFocus();
    QSignalSpy spy(&list, &DirListBox::change);
    const int index = rowOf(list, expand(row.toStdString(), dir.path()));
    QVERIFY(index >= 0);
    const QPoint at = list.visualRect(list.model()->index(index, 0)).center();
    if (byKey) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::keyClick(&list, Qt::Key_Return);
    } else {
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    }
    QCOMPARE(spy.count(), changes);
    QCOMPARE(list.path(), expand(path.toStdString(), dir.path()));
}

void TestDirList::singleClickOnlyHighlights() {
    ListFolder dir;
    makeEntries(dir.path(), tree);
    DirListBox list;
    list.resize(300, 400);
    list.setDriveRoots({dir.path()});
    list.setPath(dir.path() + "/a/b");
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy spy(&list, &DirListBox::change);
    const int index = rowOf(list, "c");
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualRect(list.model()->index(index, 0)).center());
    QCOMPARE(list.currentIndex().row(), index);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(list.path(), dir.path() + "/a/b");
}

void TestDirList::samePathRaisesNothing() {
    ListFolder dir;
    makeEntries(dir.path(), tree);
    DirListBox list;
    list.setDriveRoots({dir.path()});
    QSignalSpy spy(&list, &DirListBox::change);
    list.setPath(dir.path() + "/a");
    QCOMPARE(spy.count(), 1);
    list.setPath(dir.path() + "/a");
    list.setPath(dir.path() + "/a/");
    QCOMPARE(spy.count(), 1);
    list.refresh(); // still there: re-read, nothing raised
    QCOMPARE(spy.count(), 1);
}

void TestDirList::setPathTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("throws");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("changes");
    QTest::newRow("an absolute path") << "@/a/b" << false << "@/a/b" << 1;
    QTest::newRow("a relative path inside the folder shown") << "b/c" << false << "@/a/b/c" << 1;
    QTest::newRow("an empty text is refused, nothing moves") << "" << true << "@/a" << 0;
    QTest::newRow("a file is taken and refused") << "@/a/b/file" << true << "@/a/b/file" << 1;
}

void TestDirList::setPathTexts() {
    QFETCH(QString, text);
    QFETCH(bool, throws);
    QFETCH(QString, path);
    QFETCH(int, changes);
    ListFolder dir;
    makeEntries(dir.path(), tree);
    DirListBox list;
    list.setDriveRoots({dir.path()});
    list.setPath(dir.path() + "/a");
    QSignalSpy spy(&list, &DirListBox::change);
    bool thrown = false;
    try {
        list.setPath(expand(text.toStdString(), dir.path()));
    } catch (const PlatformError &error) {
        thrown = true;
        QCOMPARE(error.kind(), ErrorKind::NotFound);
    }
    QCOMPARE(thrown, throws);
    QCOMPARE(spy.count(), changes);
    QCOMPARE(list.path(), expand(path.toStdString(), dir.path()));
}

void TestDirList::heldFolderPerDrive_data() {
    // "path X" sets Path, "rm X" removes a folder, "open X" double-clicks a row, "refresh"
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a drive first shows its mount path") << QStringList{"path @/d2"} << "@/d2";
    QTest::newRow("a drive gives back the folder held for it")
        << QStringList{"path @/d1/x/y", "path @/d2", "path @/d1"} << "@/d1/x/y";
    QTest::newRow("each drive holds its own folder")
        << QStringList{"path @/d1/x", "path @/d2/z", "path @/d1", "path @/d2"} << "@/d2/z";
    QTest::newRow("a vanished held folder gives way to its nearest ancestor")
        << QStringList{"path @/d1/x/y", "path @/d2", "rm @/d1/x", "path @/d1"} << "@/d1";
    QTest::newRow("a vanished held folder keeps the ancestors still there")
        << QStringList{"path @/d1/x/y", "path @/d2", "rm @/d1/x/y", "path @/d1"} << "@/d1/x";
    QTest::newRow("the root chosen in the list is held")
        << QStringList{"path @/d1/x/y", "open @/d1", "path @/d2", "path @/d1"} << "@/d1";
    QTest::newRow("a path inside a drive is taken as it is")
        << QStringList{"path @/d1/x/y", "path @/d1/x"} << "@/d1/x";
    QTest::newRow("a refresh never climbs above the drive's root, even one that has vanished")
        << QStringList{"path @/d1/x/y", "rm @/d1", "refresh"} << "@/d1";
}

void TestDirList::heldFolderPerDrive() {
    QFETCH(QStringList, steps);
    QFETCH(QString, expected);
    ListFolder dir;
    makeEntries(dir.path(), {"d:d1", "d:d1/x", "d:d1/x/y", "d:d2", "d:d2/z"});
    DirListBox list;
    list.resize(300, 400);
    list.setDriveRoots({dir.path() + "/d1", dir.path() + "/d2"});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    for (const QString &step : steps) {
        const std::string argument = expand(step.section(' ', 1).toStdString(), dir.path());
        if (step.startsWith(QStringLiteral("path"))) {
            list.setPath(argument);
        } else if (step.startsWith(QStringLiteral("rm"))) {
            removeTree(argument);
        } else if (step == QStringLiteral("refresh")) {
            try {
                list.refresh();
            } catch (const PlatformError &error) { // the folder shown is still taken
                QCOMPARE(error.kind(), ErrorKind::NotFound);
            }
        } else {
            const int index = rowOf(list, argument);
            QVERIFY(index >= 0);
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, {},
                               list.visualRect(list.model()->index(index, 0)).center());
        }
    }
    QCOMPARE(list.path(), expand(expected.toStdString(), dir.path()));
}

void TestDirList::refreshOfVanishedFolder() {
    ListFolder dir;
    makeEntries(dir.path(), tree);
    DirListBox list;
    list.setDriveRoots({dir.path()});
    list.setPath(dir.path() + "/a/b/c");
    QSignalSpy spy(&list, &DirListBox::change);
    removeTree(dir.path() + "/a/b");
    list.refresh();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(list.path(), dir.path() + "/a");
    QCOMPARE(rowTexts(list), (Names{dir.path(), "a", "x"}));
}

void TestDirList::unreadableFolder_data() {
    QTest::addColumn<bool>("missing"); // else it exists with no permissions
    QTest::addColumn<int>("kind");
    QTest::newRow("missing folder") << true << int(ErrorKind::NotFound);
    QTest::newRow("permission denied") << false << int(ErrorKind::AccessDenied);
}

void TestDirList::unreadableFolder() {
    QFETCH(bool, missing);
    QFETCH(int, kind);
    std::optional<WithoutPermissionOverride> asUser;
    if (!missing) {
        asUser.emplace();
        if (!asUser->active())
            QUERVELLE_SKIP(qPrintable(QStringLiteral("as root, without dropping its permission "
                                                     "override: ") +
                                      asUser->reason()));
    }
    ListFolder dir;
    makeEntries(dir.path(), {"d:locked", "d:locked/inside"});
    const std::string folder = dir.path() + (missing ? "/missing" : "/locked");
    if (!missing)
        QCOMPARE(chmod(folder.c_str(), 0), 0);
    DirListBox list;
    list.setDriveRoots({dir.path()});
    QSignalSpy spy(&list, &DirListBox::change);
    bool thrown = false;
    try {
        list.setPath(folder);
    } catch (const PlatformError &error) {
        thrown = true;
        QCOMPARE(int(error.kind()), kind);
    }
    QVERIFY(thrown);
    QCOMPARE(spy.count(), 1); // raised before the error, so the file list follows
    QCOMPARE(list.path(), folder);
    QCOMPARE(rowTexts(list), (Names{dir.path(), folder.substr(dir.path().size() + 1)}));
}

void TestDirList::openFailureIsReported() {
    ListFolder dir;
    makeEntries(dir.path(), tree);
    DirListBox list;
    list.resize(300, 400);
    list.setDriveRoots({dir.path()});
    list.setPath(dir.path() + "/a/b");
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy changes(&list, &DirListBox::change);
    QSignalSpy failures(&list, &DirListBox::openFailed);
    removeTree(dir.path() + "/a/b/c"); // still listed, gone when opened
    const int index = rowOf(list, "c");
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {},
                       list.visualRect(list.model()->index(index, 0)).center());
    QCOMPARE(changes.count(), 1);
    QCOMPARE(failures.count(), 1);
    QVERIFY(failures.at(0).at(0).toString().contains(QStringLiteral("introuvable")));
    QCOMPARE(list.path(), dir.path() + "/a/b/c");
}

QUERVELLE_TEST_MAIN(TestDirList)
#include "tst_dirlist.moc"
