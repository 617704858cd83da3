// The scripted platform the logic tests use must behave as the real lists: the same cases run
// against both, on the same folders (real ones on disk for the real lists), and must end the
// same way: the same error, the same folders shown, the same names listed.

#include "platform/controls/dirlistbox.h"
#include "platform/controls/filelistbox.h"
#include "platform/files/errors.h"
#include "platform/qtplatform.h"

#include "support/dialogscript.h"
#include "support/fsfixture.h"
#include "support/listfixtures.h"
#include "support/scriptedplatform.h"

#include <QTest>

#include <algorithm>
#include <memory>

using namespace quervelle;
using quervelle::test::DialogScript;
using quervelle::test::lines;
using quervelle::test::ScriptedPlatform;

namespace {

// Every case starts from these, under a temporary folder "@"; "@/drive" is a drive of its own
// and "@/drive/nowhere" does not exist.
const std::vector<std::string> Tree{"d:drive",         "d:drive/a",       "d:drive/a/b",
                                    "f:drive/a/x.txt", "f:drive/a/y.doc", "f:drive/top.txt",
                                    "d:other"};

// The real lists, their platform and the wiring the window makes: Dir1's Change moves File1.
struct RealLists {
    DialogScript dialogs;
    DirListBox dir1;
    FileListBox file1;
    QtPlatform platform{Controls{nullptr, &dir1, &file1}, dialogs, {}};
    explicit RealLists(const std::vector<std::string> &driveRoots) {
        dir1.setDriveRoots(driveRoots);
        QObject::connect(&dir1, &DirListBox::change, [this] { followDir1(platform); });
    }
    static void followDir1(Platform &platform) {
        try {
            platform.setFileName(platform.dirPath());
        } catch (const PlatformError &) {
            // Reported by the list that raised it; the folder is taken all the same.
        }
    }
};

QByteArray kindName(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::NotFound:
        return "not found";
    case ErrorKind::AccessDenied:
        return "access denied";
    case ErrorKind::NotADirectory:
        return "not a folder";
    default:
        return "other error " + QByteArray::number(int(kind));
    }
}

} // namespace

class TestListContract : public QObject {
    Q_OBJECT
private slots:
    void sameAsRealLists_data();
    void sameAsRealLists();
};

void TestListContract::sameAsRealLists_data() {
    QTest::addColumn<bool>("real");
    // Steps, "@" standing for the temporary folder: "show:<path>" (Dir1.Path, errors ignored),
    // "gone:<path>" (the folder removed from the disk), then the steps of the case:
    // "dirPath:<text>", "dirRefresh", "pattern:<text>", "fileRefresh", "kill:<path>",
    // "fileName:<text>". The first error ends them.
    QTest::addColumn<QByteArrayList>("steps");
    QTest::addColumn<QByteArray>("error"); // the kind of the error met, or empty
    QTest::addColumn<QByteArray>("dirShown");
    QTest::addColumn<QByteArray>("fileShown");
    QTest::addColumn<QByteArrayList>("listed"); // File1's names, in byte order

    const auto add = [](const char *name, const QByteArrayList &steps, const QByteArray &error,
                        const QByteArray &dirShown, const QByteArray &fileShown,
                        const QByteArrayList &listed) {
        for (const bool real : {true, false}) {
            QTest::addRow("%s, %s", name, real ? "real lists" : "scripted double")
                << real << steps << error << dirShown << fileShown << listed;
        }
    };
    const QByteArrayList both{"x.txt", "y.doc"};
    add("empty path refused, nothing moves", {"show:@/drive/a", "dirPath:"}, "not found",
        "@/drive/a", "@/drive/a", both);
    add("relative path taken inside the folder shown", {"show:@/drive/a", "dirPath:b"}, "",
        "@/drive/a/b", "@/drive/a/b", {});
    add("relative path with a separator", {"show:@/drive", "dirPath:a/b"}, "", "@/drive/a/b",
        "@/drive/a/b", {});
    add("drive root shows the folder last shown on it",
        {"show:@/drive/a", "show:@/other", "dirPath:@/drive"}, "", "@/drive/a", "@/drive/a", both);
    add("held folder gone gives way to its parent",
        {"show:@/drive/a/b", "show:@/other", "gone:@/drive/a/b", "dirPath:@/drive"}, "",
        "@/drive/a", "@/drive/a", both);
    add("folder inside a drive root is shown as it is",
        {"show:@/drive/a", "show:@/other", "dirPath:@/drive/a/b"}, "", "@/drive/a/b", "@/drive/a/b",
        {});
    add("gone folder is taken, then reported", {"show:@/drive", "dirPath:@/drive/nowhere"},
        "not found", "@/drive/nowhere", "@/drive/nowhere", {});
    add("refresh of a gone folder moves to its nearest ancestor",
        {"show:@/drive/a/b", "gone:@/drive/a/b", "dirRefresh"}, "", "@/drive/a", "@/drive/a", both);
    add("refresh stops at the drive root", {"show:@/drive/a/b", "gone:@/drive", "dirRefresh"},
        "not found", "@/drive", "@/drive", {});
    add("pattern re-reads the folder", {"show:@/drive/a", "pattern:*.txt"}, "", "@/drive/a",
        "@/drive/a", {"x.txt"});
    add("pattern on a gone folder fails", {"show:@/drive/a", "gone:@/drive/a", "pattern:*.txt"},
        "not found", "@/drive/a", "@/drive/a", {});
    add("refresh of File1 on a gone folder fails",
        {"show:@/drive/a", "gone:@/drive/a", "fileRefresh"}, "not found", "@/drive/a", "@/drive/a",
        {});
    add("deleted file listed until the list is read again",
        {"show:@/drive/a", "kill:@/drive/a/x.txt"}, "", "@/drive/a", "@/drive/a", both);
    add("deleted file gone once the list is read again",
        {"show:@/drive/a", "kill:@/drive/a/x.txt", "fileRefresh"}, "", "@/drive/a", "@/drive/a",
        {"y.doc"});
    add("deleting a file twice fails",
        {"show:@/drive/a", "kill:@/drive/a/x.txt", "kill:@/drive/a/x.txt"}, "not found",
        "@/drive/a", "@/drive/a", both);
    add("File1 given a gone folder takes it, then reports it",
        {"show:@/drive/a", "fileName:@/drive/nowhere"}, "not found", "@/drive/a", "@/drive/nowhere",
        {});
    add("File1 given a file's path selects it in its folder",
        {"show:@/other", "fileName:@/drive/a/y.doc"}, "", "@/other", "@/drive/a", both);
}

void TestListContract::sameAsRealLists() {
    QFETCH(bool, real);
    QFETCH(QByteArrayList, steps);
    QFETCH(QByteArray, error);
    QFETCH(QByteArray, dirShown);
    QFETCH(QByteArray, fileShown);
    QFETCH(QByteArrayList, listed);

    test::ListFolder folder;
    QVERIFY(folder.isValid());
    test::makeEntries(folder.path(), Tree);
    const QByteArray at = QByteArray::fromStdString(folder.path());
    const auto absolute = [&](QByteArray text) { return text.replace("@", at).toStdString(); };
    const std::vector<std::string> driveRoots{"/", absolute("@/drive")};

    std::unique_ptr<RealLists> lists;
    ScriptedPlatform scripted;
    Platform *platform = &scripted;
    if (real) {
        lists = std::make_unique<RealLists>(driveRoots);
        platform = &lists->platform;
    } else {
        scripted.sep = '/';
        scripted.pattern = "*";
        scripted.driveRoots = driveRoots;
        for (const std::string &entry : Tree) {
            if (entry.starts_with("f:"))
                scripted.files.insert(absolute("@/" + QByteArray::fromStdString(entry.substr(2))));
        }
        // Every folder is there for the double but those it is told are gone.
        scripted.goneFolders.insert(absolute("@/drive/nowhere"));
        scripted.onDirChange = [&scripted] { RealLists::followDir1(scripted); };
    }

    QByteArray met;
    for (const QByteArray &step : steps) {
        const qsizetype colon = step.indexOf(':');
        const QByteArray verb = colon < 0 ? step : step.left(colon);
        const std::string text = colon < 0 ? std::string() : absolute(step.mid(colon + 1));
        if (verb == "gone") {
            if (real) {
                QVERIFY(test::fsRemoveTree(text));
            } else {
                scripted.goneFolders.insert(text);
                std::erase_if(scripted.files, [&](const std::string &file) {
                    return file.starts_with(text + "/");
                });
            }
            continue;
        }
        try {
            if (verb == "show") {
                try {
                    platform->setDirPath(text);
                } catch (const PlatformError &) {
                }
            } else if (verb == "dirPath") {
                platform->setDirPath(text);
            } else if (verb == "dirRefresh") {
                platform->dirRefresh();
            } else if (verb == "pattern") {
                platform->setFilePattern(text);
            } else if (verb == "fileRefresh") {
                platform->fileRefresh();
            } else if (verb == "kill") {
                platform->killFile(text);
            } else if (verb == "fileName") {
                platform->setFileName(text);
            } else {
                QFAIL(("unknown step " + step).constData());
            }
        } catch (const PlatformError &failure) {
            met = kindName(failure.kind());
            break;
        }
    }

    const auto relative = [&](const std::string &path) {
        return QByteArray::fromStdString(path).replace(at, "@");
    };
    std::vector<std::string> names = real ? test::listedNames(lists->file1) : scripted.listedNames;
    std::sort(names.begin(), names.end());
    QCOMPARE(met, error);
    QCOMPARE(relative(platform->dirPath()), dirShown);
    QCOMPARE(relative(platform->filePath()), fileShown);
    QCOMPARE(lines(names), listed);
}

QTEST_MAIN(TestListContract)
#include "tst_listcontract.moc"
