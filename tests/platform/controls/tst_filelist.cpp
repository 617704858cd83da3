#include "platform/controls/filelistbox.h"
#include "platform/files/errors.h"
#include "support/listfixtures.h"
#include "support/permissions.h"
#include "support/skipping.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <optional>
#include <set>
#include <sys/stat.h>

using quervelle::ErrorKind;
using quervelle::FileListBox;
using quervelle::PlatformError;
using namespace quervelle::test;

namespace {

using Names = std::vector<std::string>;

std::string folderOf(const ListFolder &dir) {
    return dir.path();
}

QString printable(const Names &names) {
    QStringList parts;
    for (const std::string &name : names)
        parts << QString::fromUtf8(QByteArray::fromStdString(name).toPercentEncoding(" "));
    return parts.join(QStringLiteral(", "));
}

} // namespace

Q_DECLARE_METATYPE(Names)

class TestFileList : public QObject {
    Q_OBJECT
private slots:
    void listing_data();
    void listing();
    void setFileName_data();
    void setFileName();
    void patternChangeRereads();
    void refreshRereadsAndClearsSelection();
    void fortyThousandFiles();
    void unreadableFolder_data();
    void unreadableFolder();
    void clickSignal_data();
    void clickSignal();
    void lostFocus();
};

void TestFileList::listing_data() {
    QTest::addColumn<Names>("entries");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<Names>("expected");

    QTest::newRow("hidden dot files")
        << Names{"f:.hidden", "f:visible", "f:..two"} << QByteArray("*") << Names{"visible"};
    QTest::newRow("folders not listed")
        << Names{"d:sub", "d:.git", "f:a"} << QByteArray("*") << Names{"a"};
    QTest::newRow("link to a file listed")
        << Names{"f:target", "l:link>target"} << QByteArray("*") << Names{"link", "target"};
    QTest::newRow("dangling link listed")
        << Names{"l:dangling>nowhere"} << QByteArray("*") << Names{"dangling"};
    QTest::newRow("link to a folder not listed")
        << Names{"d:sub", "l:link>sub", "f:z"} << QByteArray("*") << Names{"z"};
    QTest::newRow("natural order without case")
        << Names{"f:file10", "f:file2", "f:File1", "f:b", "f:A"} << QByteArray("*")
        << Names{"A", "b", "File1", "file2", "file10"};
    QTest::newRow("pattern narrows to whole names")
        << Names{"f:a.txt", "f:b.TXT", "f:c.txt.bak", "f:d.bmp"} << QByteArray("*.txt")
        << Names{"a.txt", "b.TXT"};
    QTest::newRow("pattern list") << Names{"f:a.txt", "f:b.bmp", "f:c.doc"}
                                  << QByteArray("*.bmp;*.txt") << Names{"a.txt", "b.bmp"};
    QTest::newRow("pattern applies to links too")
        << Names{"f:t.txt", "l:l.doc>t.txt", "l:m.txt>t.txt"} << QByteArray("*.txt")
        << Names{"m.txt", "t.txt"};
    QTest::newRow("star blank pattern") << Names{"f:a ", "f:a"} << QByteArray("* ") << Names{"a "};
    QTest::newRow("names with backslash, star, newline")
        << Names{"f:back\\slash", "f:star*", "f:new\nline", "f:qu?estion"} << QByteArray("*")
        << Names{"back\\slash", "new\nline", "qu?estion", "star*"};
    QTest::newRow("invalid UTF-8 beside the replacement character")
        << Names{"f:a\xFF", "f:a\xEF\xBF\xBD"} << QByteArray("*")
        << Names{"a\xEF\xBF\xBD", "a\xFF"};
    QTest::newRow("empty folder") << Names{} << QByteArray("*") << Names{};
}

void TestFileList::listing() {
    QFETCH(Names, entries);
    QFETCH(QByteArray, pattern);
    QFETCH(Names, expected);
    ListFolder dir;
    QVERIFY(dir.isValid());
    makeEntries(folderOf(dir), entries);

    FileListBox list;
    list.setPattern(pattern.toStdString());
    list.setFileName(folderOf(dir));
    QCOMPARE(list.path(), folderOf(dir));
    QCOMPARE(list.listCount(), int(expected.size()));
    const Names listed = listedNames(list); // every row selected in turn, its bytes read back
    QVERIFY2(listed == expected, qPrintable(printable(listed)));
}

void TestFileList::setFileName_data() {
    QTest::addColumn<QByteArray>("text"); // relative to the temporary folder, "@" for it
    QTest::addColumn<bool>("throws");
    QTest::addColumn<QByteArray>("path"); // the path taken, relative
    QTest::addColumn<QByteArray>("selected");
    QTest::addColumn<int>("count");

    // The folder holds sub/ with one.txt, two.txt, .hidden, gone (dangling link).
    QTest::newRow("a folder is taken")
        << QByteArray("@/sub") << false << QByteArray("@/sub") << QByteArray("") << 3;
    QTest::newRow("a folder with a trailing separator")
        << QByteArray("@/sub/") << false << QByteArray("@/sub/") << QByteArray("") << 3;
    QTest::newRow("a file path takes its folder and selects it")
        << QByteArray("@/sub/two.txt") << false << QByteArray("@/sub") << QByteArray("two.txt")
        << 3;
    QTest::newRow("a dangling link path selects it")
        << QByteArray("@/sub/gone") << false << QByteArray("@/sub") << QByteArray("gone") << 3;
    QTest::newRow("a hidden file path takes the folder, selects nothing")
        << QByteArray("@/sub/.hidden") << false << QByteArray("@/sub") << QByteArray("") << 3;
    QTest::newRow("a relative path is taken inside the list's folder")
        << QByteArray("sub/two.txt") << false << QByteArray("@/sub") << QByteArray("two.txt") << 3;
    QTest::newRow("a bare listed name selects it")
        << QByteArray("one.txt") << false << QByteArray("@") << QByteArray("one.txt") << 1;
    QTest::newRow("a bare unknown name is refused")
        << QByteArray("nothing.txt") << true << QByteArray("@") << QByteArray("") << 1;
    QTest::newRow("an empty text is refused")
        << QByteArray("") << true << QByteArray("@") << QByteArray("") << 1;
    QTest::newRow("a missing folder is taken, empty")
        << QByteArray("@/missing") << true << QByteArray("@/missing") << QByteArray("") << 0;
    QTest::newRow("a path through a file is taken, empty")
        << QByteArray("@/sub/one.txt/x") << true << QByteArray("@/sub/one.txt/x") << QByteArray("")
        << 0;
}

void TestFileList::setFileName() {
    QFETCH(QByteArray, text);
    QFETCH(bool, throws);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, selected);
    QFETCH(int, count);
    ListFolder dir;
    QVERIFY(dir.isValid());
    const std::string root = folderOf(dir);
    makeEntries(root, {"f:one.txt", "d:sub", "f:sub/one.txt", "f:sub/two.txt", "f:sub/.hidden",
                       "l:sub/gone>nowhere"});
    FileListBox list;
    list.setFileName(root);
    QCOMPARE(list.listCount(), 1);

    auto expand = [&](const QByteArray &relative) {
        std::string s = relative.toStdString();
        if (!s.empty() && s[0] == '@')
            s = root + s.substr(1);
        return s;
    };
    QSignalSpy clicks(&list, &FileListBox::click);
    bool thrown = false;
    try {
        list.setFileName(expand(text));
    } catch (const PlatformError &error) {
        thrown = true;
        QCOMPARE(error.kind(), ErrorKind::NotFound);
    }
    QCOMPARE(thrown, throws);
    QCOMPARE(list.path(), expand(path));
    QCOMPARE(list.fileName(), selected.toStdString());
    QCOMPARE(list.listCount(), count);
    QCOMPARE(clicks.count(), 0); // selecting by program is not a click
}

void TestFileList::patternChangeRereads() {
    ListFolder dir;
    QVERIFY(dir.isValid());
    makeEntries(folderOf(dir), {"f:a.txt", "f:b.bmp"});
    FileListBox list;
    list.setFileName(folderOf(dir));
    QCOMPARE(listedNames(list), (Names{"a.txt", "b.bmp"}));

    makeFile(folderOf(dir) + "/c.txt"); // made after the folder was read
    list.setPattern("*.txt");
    QCOMPARE(list.pattern(), std::string("*.txt"));
    QCOMPARE(listedNames(list), (Names{"a.txt", "c.txt"}));

    // The pattern stays when the folder changes.
    ListFolder other;
    makeEntries(folderOf(other), {"f:x.txt", "f:y.bmp"});
    list.setFileName(folderOf(other));
    QCOMPARE(listedNames(list), (Names{"x.txt"}));
}

void TestFileList::refreshRereadsAndClearsSelection() {
    ListFolder dir;
    QVERIFY(dir.isValid());
    makeEntries(folderOf(dir), {"f:a", "f:b"});
    FileListBox list;
    list.setFileName(folderOf(dir) + "/b");
    QCOMPARE(list.fileName(), std::string("b"));
    makeFile(folderOf(dir) + "/c");
    list.refresh();
    QCOMPARE(list.fileName(), std::string());
    QCOMPARE(list.listCount(), 3);

    list.setFileName(folderOf(dir) + "/a");
    list.setFileName(folderOf(dir));
    QCOMPARE(list.fileName(), std::string());
}

void TestFileList::fortyThousandFiles() {
    ListFolder dir;
    QVERIFY(dir.isValid());
    std::set<std::string> made;
    for (int i = 0; i < 40000; ++i) {
        const std::string name = "f" + std::to_string(i) + (i % 3 ? ".txt" : ".dat");
        makeFile(folderOf(dir) + "/" + name);
        made.insert(name);
    }
    FileListBox list;
    list.setFileName(folderOf(dir));
    QCOMPARE(list.listCount(), 40000);
    std::set<std::string> shown;
    for (const std::string &text : rowTexts(list))
        shown.insert(text);
    QVERIFY(shown == made);
    // Natural order: f0, f1, f2, ... f39999.
    QCOMPARE(list.model()->index(0, 0).data().toString(), QStringLiteral("f0.dat"));
    QCOMPARE(list.model()->index(10, 0).data().toString(), QStringLiteral("f10.txt"));
    QCOMPARE(list.model()->index(39999, 0).data().toString(), QStringLiteral("f39999.dat"));

    // A name chosen as soon as the list is shown, before its rows are all placed, is scrolled to,
    // and stays in sight once they are.
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setFileName("f39991.txt");
    const QModelIndex chosen = list.model()->index(39991, 0);
    QVERIFY(list.viewport()->rect().intersects(list.visualRect(chosen)));
    QTest::qWait(200);
    QVERIFY(list.viewport()->rect().intersects(list.visualRect(chosen)));
    QCOMPARE(list.fileName(), std::string("f39991.txt"));

    list.setPattern("*.dat");
    QCOMPARE(list.listCount(), 13334);
    // A listing this large shows the busy cursor; it must be put back afterwards.
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestFileList::unreadableFolder_data() {
    QTest::addColumn<bool>("removeIt"); // else its permissions are taken away
    QTest::addColumn<int>("kind");
    QTest::newRow("vanished") << true << int(ErrorKind::NotFound);
    QTest::newRow("permission denied") << false << int(ErrorKind::AccessDenied);
}

void TestFileList::unreadableFolder() {
    QFETCH(bool, removeIt);
    QFETCH(int, kind);
    std::optional<WithoutPermissionOverride> asUser;
    if (!removeIt) {
        asUser.emplace();
        if (!asUser->active())
            QUERVELLE_SKIP(qPrintable(QStringLiteral("as root, without dropping its permission "
                                                     "override: ") +
                                      asUser->reason()));
    }
    ListFolder dir;
    QVERIFY(dir.isValid());
    const std::string folder = folderOf(dir) + "/inner";
    makeEntries(folderOf(dir), {"d:inner", "f:inner/a", "f:inner/b"});
    FileListBox list;
    list.setFileName(folder);
    list.setFileName(folder + "/a");
    QCOMPARE(list.listCount(), 2);

    if (removeIt)
        removeTree(folder);
    else
        QCOMPARE(chmod(folder.c_str(), 0), 0);
    bool thrown = false;
    try {
        list.refresh();
    } catch (const PlatformError &error) {
        thrown = true;
        QCOMPARE(int(error.kind()), kind);
        QCOMPARE(error.path(), folder);
    }
    if (!removeIt)
        chmod(folder.c_str(), 0755);
    QVERIFY(thrown);
    QCOMPARE(list.path(), folder);
    QCOMPARE(list.listCount(), 0);
    QCOMPARE(list.fileName(), std::string());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestFileList::clickSignal_data() {
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QByteArray>("selected");
    QTest::newRow("mouse click on a name") << QStringList{"click 1"} << 1 << QByteArray("b");
    QTest::newRow("mouse click below the names")
        << QStringList{"click below"} << 0 << QByteArray("");
    QTest::newRow("two clicks on the same name")
        << QStringList{"click 2", "click 2"} << 2 << QByteArray("c");
    QTest::newRow("key down moves the selection")
        << QStringList{"click 0", "Down"} << 2 << QByteArray("b");
    QTest::newRow("key up at the top moves nothing")
        << QStringList{"click 0", "Up"} << 1 << QByteArray("a");
    QTest::newRow("key end moves to the last")
        << QStringList{"click 0", "End"} << 2 << QByteArray("c");
    QTest::newRow("key down with nothing selected selects the first")
        << QStringList{"Down"} << 1 << QByteArray("a");
    QTest::newRow("key down at the bottom moves nothing")
        << QStringList{"click 2", "Down"} << 1 << QByteArray("c");
}

void TestFileList::clickSignal() {
    QFETCH(QStringList, actions);
    QFETCH(int, clicks);
    QFETCH(QByteArray, selected);
    ListFolder dir;
    QVERIFY(dir.isValid());
    makeEntries(folderOf(dir), {"f:a", "f:b", "f:c"});
    FileListBox list;
    list.resize(200, 300);
    list.setFileName(folderOf(dir));
    list.show();
    QVERIFY(QTest::qWaitForWindowActive(&list));
    list.setFocus(Qt::TabFocusReason);
    QSignalSpy spy(&list, &FileListBox::click);
    for (const QString &action : actions) {
        if (action.startsWith(QStringLiteral("click"))) {
            const QString where = action.section(' ', 1);
            const QPoint at = where == QStringLiteral("below")
                                  ? QPoint(10, list.viewport()->height() - 5)
                                  : list.visualRect(list.model()->index(where.toInt(), 0)).center();
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        } else {
            const Qt::Key key = action == QStringLiteral("Down") ? Qt::Key_Down
                                : action == QStringLiteral("Up") ? Qt::Key_Up
                                                                 : Qt::Key_End;
            QTest::keyClick(&list, key);
        }
    }
    QCOMPARE(spy.count(), clicks);
    QCOMPARE(list.fileName(), selected.toStdString());
}

void TestFileList::lostFocus() {
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *list = new FileListBox(&window);
    auto *edit = new QLineEdit(&window);
    layout->addWidget(list);
    layout->addWidget(edit);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    list->setFocus(Qt::OtherFocusReason);
    QVERIFY(list->hasFocus());
    QSignalSpy spy(list, &FileListBox::lostFocus);
    edit->setFocus(Qt::TabFocusReason);
    QVERIFY(edit->hasFocus());
    QCOMPARE(spy.count(), 1);
    edit->setFocus(Qt::TabFocusReason); // already away: nothing more
    QCOMPARE(spy.count(), 1);
    list->setFocus(Qt::MouseFocusReason);
    edit->setFocus(Qt::MouseFocusReason);
    QCOMPARE(spy.count(), 2);
}

QUERVELLE_TEST_MAIN(TestFileList)
#include "tst_filelist.moc"
