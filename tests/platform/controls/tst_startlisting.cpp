#include "platform/controls/dirlistbox.h"
#include "platform/controls/filelistbox.h"
#include "platform/controls/startlisting.h"
#include "platform/files/errors.h"
#include "support/listfixtures.h"

#include <QTest>

#include <cstdio>

using quervelle::DirListBox;
using quervelle::ErrorKind;
using quervelle::FileListBox;
using quervelle::PlatformError;
using quervelle::ReadyListing;
using quervelle::StartListing;
using namespace quervelle::test;

namespace {

using Names = std::vector<std::string>;

// The sub-folder rows of a directory list showing a folder right under its root.
Names subFolders(const DirListBox &list) {
    const Names rows = rowTexts(list);
    return Names(rows.begin() + 1, rows.end());
}

ReadyListing ready(const std::string &folder, Names names) {
    ReadyListing listing;
    listing.folder = folder;
    for (const std::string &name : names)
        listing.names.append(name);
    return listing;
}

} // namespace

Q_DECLARE_METATYPE(Names)

// The start folder is read once for both lists; what each list then shows must be what it
// would have read itself.
class TestStartListing : public QObject {
    Q_OBJECT
private slots:
    void sameAsEachListReading_data();
    void sameAsEachListReading();
    void manyNamesInBatches();
    void offeredListingTakenOnlyForItsFolder();
    void unreadableStartFolder();
};

void TestStartListing::sameAsEachListReading_data() {
    QTest::addColumn<Names>("entries");
    QTest::newRow("files and folders")
        << Names{"f:b.txt", "f:A.txt", "d:zeta", "d:Alpha", "f:file10", "f:file2"};
    QTest::newRow("links to each, a dangling link, hidden names")
        << Names{"f:t",      "d:sub",          "l:to-file>t", "l:to-folder>sub",
                 "l:gone>x", "f:.hidden-file", "d:.hidden"};
    QTest::newRow("names as bytes") << Names{"f:a\xFF", "d:b\xFE", "f:star*", "d:new\nline"};
    QTest::newRow("only folders") << Names{"d:x", "d:y"};
    QTest::newRow("empty") << Names{};
}

void TestStartListing::sameAsEachListReading() {
    QFETCH(Names, entries);
    ListFolder dir;
    QVERIFY(dir.isValid());
    makeEntries(dir.path(), entries);

    FileListBox filesAlone;
    filesAlone.setFileName(dir.path());
    DirListBox foldersAlone;
    foldersAlone.setDriveRoots({dir.path()});
    foldersAlone.setPath(dir.path());

    StartListing start(dir.path());
    StartListing::Lists lists = start.take();
    QVERIFY(!lists.files.error);
    FileListBox files;
    files.offerListing(std::move(lists.files));
    files.setFileName(dir.path());
    DirListBox folders;
    folders.setDriveRoots({dir.path()});
    folders.offerListing(std::move(lists.folders));
    folders.setPath(dir.path());

    QCOMPARE(listedNames(files), listedNames(filesAlone));
    QCOMPARE(subFolders(folders), subFolders(foldersAlone));
}

// A large folder's names are keyed in batches while the folder is read: the order across
// batches must be the one the file list gives when it reads the folder itself.
void TestStartListing::manyNamesInBatches() {
    ListFolder dir;
    QVERIFY(dir.isValid());
    const char *shapes[] = {"rapport_%05d.txt", "Rapport %d.TXT", "\xC3\xA9t\xC3\xA9 %d",
                            "caf\xE9 %d",       "file%d",         "File%d.bak"};
    Names entries;
    for (int i = 0; i < 6000; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, shapes[i % 6], i);
        entries.push_back(std::string("f:") + name);
    }
    makeEntries(dir.path(), entries);

    FileListBox alone;
    alone.setFileName(dir.path());
    StartListing start(dir.path());
    FileListBox files;
    files.offerListing(start.take().files);
    files.setFileName(dir.path());
    QCOMPARE(files.listCount(), 6000);
    QCOMPARE(listedNames(files), listedNames(alone));
}

// A list takes what it is offered only for the very folder offered, under the default
// pattern, and only once: otherwise it reads the folder as it is on disk.
void TestStartListing::offeredListingTakenOnlyForItsFolder() {
    ListFolder dir;
    QVERIFY(dir.isValid());
    makeEntries(dir.path(), {"f:on-disk", "d:sub", "d:sub/inner"});
    const std::string sub = dir.path() + "/sub";

    FileListBox files;
    files.offerListing(ready(dir.path(), {"offered"}));
    files.setFileName(dir.path());
    QCOMPARE(listedNames(files), Names{"offered"});
    files.refresh();
    QCOMPARE(listedNames(files), Names{"on-disk"});

    files.offerListing(ready(sub, {"offered"}));
    files.setFileName(dir.path());
    QCOMPARE(listedNames(files), Names{"on-disk"});
    files.setFileName(sub); // the offer went with the reading before
    QCOMPARE(listedNames(files), Names{});

    files.setPattern("*disk");
    files.offerListing(ready(dir.path(), {"offered"}));
    files.setFileName(dir.path());
    QCOMPARE(listedNames(files), Names{"on-disk"});

    DirListBox folders;
    folders.setDriveRoots({dir.path()});
    folders.offerListing(ready(dir.path() + "/", {"offered"}));
    folders.setPath(dir.path());
    QCOMPARE(subFolders(folders), Names{"offered"});
    folders.offerListing(ready(dir.path(), {"offered"}));
    folders.setPath(sub);
    QCOMPARE(subFolders(folders), (Names{"sub", "inner"}));
}

// A start folder that cannot be read is still taken by both lists, empty, and its error is
// raised as if each list had read it.
void TestStartListing::unreadableStartFolder() {
    ListFolder dir;
    QVERIFY(dir.isValid());
    const std::string gone = dir.path() + "/gone";
    StartListing start(gone);
    StartListing::Lists lists = start.take();
    QVERIFY(lists.files.error);
    QVERIFY(lists.files.error.category() == std::generic_category());
    QVERIFY(lists.folders.error == lists.files.error);

    FileListBox files;
    files.offerListing(std::move(lists.files));
    try {
        files.setFileName(gone);
        QFAIL("no error raised");
    } catch (const PlatformError &error) {
        QCOMPARE(error.kind(), ErrorKind::NotFound);
    }
    QCOMPARE(files.path(), gone);
    QCOMPARE(files.listCount(), 0);
    QVERIFY_THROWS_EXCEPTION(std::logic_error, start.take());
}

QTEST_MAIN(TestStartListing)
#include "tst_startlisting.moc"
