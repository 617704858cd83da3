// The file operations on real folders: each acts on exactly the entry named by the path's
// bytes, or refuses with the right error and leaves every entry as it was.

#include "platform/files/errors.h"
#include "platform/files/fileoperations.h"
#include "platform/platform.h"

#include "support/fsfixture.h"
#include "support/permissions.h"
#include "support/skipping.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quervelle::test;
using quervelle::ErrorKind;
namespace fileops = quervelle::fileops;

namespace {

constexpr int NoError = -1;

// Entries of a fixture folder: "f" file (its content is its name), "x" executable script,
// "d" folder, "l" link (the part after \x01 is the target).
QByteArray file(const QByteArray &name) {
    return "f" + name;
}
QByteArray folder(const QByteArray &name) {
    return "d" + name;
}
QByteArray symlinkEntry(const QByteArray &name, const QByteArray &target) {
    return "l" + name + '\x01' + target;
}

bool build(const std::string &root, const QByteArrayList &entries) {
    for (const QByteArray &entry : entries) {
        const QByteArray entrySpecText = entry.mid(1);
        const std::string name = entrySpecText.left(entrySpecText.indexOf('\x01')).toStdString();
        const std::string path =
            fsJoin(root, entrySpecText.indexOf('\x01') < 0 ? entrySpecText.toStdString() : name);
        bool ok = false;
        switch (entry.at(0)) {
        case 'f':
            ok = fsWriteFile(path, entrySpecText.toStdString());
            break;
        case 'd':
            ok = fsMakeDir(path);
            break;
        case 'l':
            ok = fsMakeLink(entrySpecText.mid(entrySpecText.indexOf('\x01') + 1).toStdString(),
                            path);
            break;
        }
        if (!ok)
            return false;
    }
    return true;
}

// Runs op and returns the kind of PlatformError it threw, or NoError. The message must name
// the path.
template <typename Op> int errorOf(Op op, const std::string &path, QString *message = nullptr) {
    try {
        op();
        return NoError;
    } catch (const quervelle::PlatformError &error) {
        if (message)
            *message = QString::fromUtf8(error.what());
        std::string shownPath;
        for (const char c : path)
            shownPath += c == '\0' ? std::string("\xE2\x90\x80") : std::string(1, c);
        if (error.path() != path || std::string(error.what()).find(shownPath) == std::string::npos)
            return -2; // the error does not name the path
        return static_cast<int>(error.kind());
    }
}

// Our child processes, running or ended and not yet reaped.
int childProcesses() {
    int count = 0;
    const pid_t self = ::getpid();
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return -1;
    while (const dirent *ent = ::readdir(proc)) {
        if (ent->d_name[0] < '0' || ent->d_name[0] > '9')
            continue;
        const std::string stat = fsReadFile(std::string("/proc/") + ent->d_name + "/stat");
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        char state = 0;
        int ppid = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && ppid == self)
            ++count;
    }
    ::closedir(proc);
    return count;
}

// Mounts made by the tests live in a private mount namespace, set up before any thread
// starts; without the privilege the tests that need it skip and say why.
struct MountLab {
    bool ready = false;
    QString reason;
};
MountLab g_mounts;

void preparePrivateMounts() {
    if (::geteuid() != 0) {
        g_mounts.reason = QStringLiteral("needs root to make a private mount namespace");
    } else if (::unshare(CLONE_NEWNS) != 0) {
        g_mounts.reason = QStringLiteral("unshare(CLONE_NEWNS) refused: %1")
                              .arg(QString::fromLocal8Bit(std::strerror(errno)));
    } else if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        g_mounts.reason = QStringLiteral("cannot make mounts private: %1")
                              .arg(QString::fromLocal8Bit(std::strerror(errno)));
    } else {
        g_mounts.ready = true;
    }
}

} // namespace

class TestFileOperations : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void killFile_data();
    void killFile();
    void makeDir_data();
    void makeDir();
    void removeDir_data();
    void removeDir();
    void details_data();
    void details();
    void detailsErrors_data();
    void detailsErrors();
    void startProgram_data();
    void startProgram();
    void startRefused_data();
    void startRefused();
    void readOnlyFileSystem_data();
    void readOnlyFileSystem();
    void fullFileSystem();
    void noWritePermission_data();
    void noWritePermission();

private:
    std::optional<QTemporaryDir> m_tmp;
    std::string m_root;
    QString m_savedCurrent;
};

void TestFileOperations::init() {
    m_tmp.emplace();
    QVERIFY(m_tmp->isValid());
    m_tmp->setAutoRemove(false); // QDir would decode the names; fsRemoveTree keeps their bytes
    m_root = fsPath(*m_tmp);
    // Anything a shell might do with a name ("$(touch x)") would land here, where it is seen.
    m_savedCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_tmp->path()));
}

void TestFileOperations::cleanup() {
    QDir::setCurrent(m_savedCurrent);
    QVERIFY2(fsRemoveTree(m_root), qPrintable(fsLastError()));
    m_tmp.reset();
}

void TestFileOperations::killFile_data() {
    QTest::addColumn<QByteArrayList>("entries");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("error");

    const int ok = NoError;
    QTest::newRow("plain file") << QByteArrayList{file("a.txt"), file("b.txt")}
                                << QByteArray("a.txt") << ok;
    QTest::newRow("star is one file")
        << QByteArrayList{file("*"), file("a"), file("b.txt")} << QByteArray("*") << ok;
    QTest::newRow("question mark is one file")
        << QByteArrayList{file("?"), file("x"), file("?.txt")} << QByteArray("?") << ok;
    QTest::newRow("bracket pattern is one file")
        << QByteArrayList{file("[ab]"), file("a"), file("b")} << QByteArray("[ab]") << ok;
    QTest::newRow("invalid UTF-8 beside its replacement twin")
        << QByteArrayList{file("a\xFF"), file("a\xEF\xBF\xBD")} << QByteArray("a\xFF") << ok;
    QTest::newRow("replacement twin beside invalid UTF-8")
        << QByteArrayList{file("a\xFF"), file("a\xEF\xBF\xBD")} << QByteArray("a\xEF\xBF\xBD")
        << ok;
    QTest::newRow("NFC beside NFD") << QByteArrayList{file("caf\xC3\xA9"), file("cafe\xCC\x81")}
                                    << QByteArray("cafe\xCC\x81") << ok;
    QTest::newRow("backslash colon semicolon")
        << QByteArrayList{file("a\\b:c;d"), file("a"), file("b")} << QByteArray("a\\b:c;d") << ok;
    QTest::newRow("command substitution")
        << QByteArrayList{file("$(touch x)"), file("y")} << QByteArray("$(touch x)") << ok;
    QTest::newRow("newline and tab")
        << QByteArrayList{file("a\nb\tc"), file("a"), file("b\tc")} << QByteArray("a\nb\tc") << ok;
    QTest::newRow("leading dash") << QByteArrayList{file("-rf"), file("x")} << QByteArray("-rf")
                                  << ok;
    QTest::newRow("trailing blanks and dots")
        << QByteArrayList{file("name. ."), file("name"), file("name.")} << QByteArray("name. .")
        << ok;
    QTest::newRow("255-byte name")
        << QByteArrayList{file(QByteArray(255, 'n')), file(QByteArray(254, 'n'))}
        << QByteArray(255, 'n') << ok;
    QTest::newRow("link to a file: link gone, target kept")
        << QByteArrayList{file("target"), symlinkEntry("link", "target")} << QByteArray("link")
        << ok;
    QTest::newRow("dangling link")
        << QByteArrayList{symlinkEntry("link", "nowhere"), file("x")} << QByteArray("link") << ok;
    QTest::newRow("link to a folder: link gone, folder kept")
        << QByteArrayList{folder("dir"), file("dir/in"), symlinkEntry("link", "dir")}
        << QByteArray("link") << ok;
    QTest::newRow("folder refused") << QByteArrayList{folder("dir"), file("dir/in")}
                                    << QByteArray("dir") << int(ErrorKind::IsADirectory);
    QTest::newRow("empty folder refused")
        << QByteArrayList{folder("dir")} << QByteArray("dir") << int(ErrorKind::IsADirectory);
    QTest::newRow("vanished file")
        << QByteArrayList{file("other")} << QByteArray("gone") << int(ErrorKind::NotFound);
    QTest::newRow("embedded NUL refused, the shorter name untouched")
        << QByteArrayList{file("a")} << QByteArray("a\0b", 3) << int(ErrorKind::InvalidName);
}

void TestFileOperations::killFile() {
    QFETCH(QByteArrayList, entries);
    QFETCH(QByteArray, target);
    QFETCH(int, error);
    QVERIFY2(build(m_root, entries), qPrintable(fsLastError()));
    const FsSnapshot before = fsSnapshot(m_root);
    const std::string path = fsJoin(m_root, target.toStdString());

    QString message;
    QCOMPARE(errorOf([&] { fileops::killFile(path); }, path, &message), error);

    FsSnapshot expected = before;
    if (error == NoError)
        QCOMPARE(expected.erase(target.toStdString()), std::size_t(1));
    QCOMPARE(fsDiff(expected, fsSnapshot(m_root)), QString());
}

void TestFileOperations::makeDir_data() {
    QTest::addColumn<QByteArrayList>("entries");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("error");

    const int ok = NoError;
    QTest::newRow("plain") << QByteArrayList{} << QByteArray("Nouveau") << ok;
    QTest::newRow("trailing blank kept")
        << QByteArrayList{folder("Nouveau")} << QByteArray("Nouveau ") << ok;
    QTest::newRow("leading blank kept") << QByteArrayList{} << QByteArray(" Nouveau") << ok;
    QTest::newRow("trailing dot kept") << QByteArrayList{} << QByteArray("Nouveau.") << ok;
    QTest::newRow("NFD kept beside NFC")
        << QByteArrayList{folder("caf\xC3\xA9")} << QByteArray("cafe\xCC\x81") << ok;
    QTest::newRow("invalid UTF-8 kept") << QByteArrayList{} << QByteArray("d\xFF") << ok;
    QTest::newRow("255-byte name") << QByteArrayList{} << QByteArray(255, 'n') << ok;
    QTest::newRow("embedded NUL refused")
        << QByteArrayList{} << QByteArray("abc\0def", 7) << int(ErrorKind::InvalidName);
    QTest::newRow("86 CJK characters are 258 bytes")
        << QByteArrayList{} << QString(86, QChar(0x6F22)).toUtf8() << int(ErrorKind::NameTooLong);
    QTest::newRow("256 bytes") << QByteArrayList{} << QByteArray(256, 'n')
                               << int(ErrorKind::NameTooLong);
    QTest::newRow("existing folder") << QByteArrayList{folder("dir"), file("dir/in")}
                                     << QByteArray("dir") << int(ErrorKind::AlreadyExists);
    QTest::newRow("existing file")
        << QByteArrayList{file("dir")} << QByteArray("dir") << int(ErrorKind::AlreadyExists);
    QTest::newRow("dangling link in the way") << QByteArrayList{symlinkEntry("dir", "nowhere")}
                                              << QByteArray("dir") << int(ErrorKind::AlreadyExists);
    QTest::newRow("one level only")
        << QByteArrayList{} << QByteArray("a/b") << int(ErrorKind::NotFound);
}

void TestFileOperations::makeDir() {
    QFETCH(QByteArrayList, entries);
    QFETCH(QByteArray, name);
    QFETCH(int, error);
    QVERIFY2(build(m_root, entries), qPrintable(fsLastError()));
    const FsSnapshot before = fsSnapshot(m_root);
    const std::string path = fsJoin(m_root, name.toStdString());

    QCOMPARE(errorOf([&] { fileops::makeDir(path); }, path), error);

    FsSnapshot after = fsSnapshot(m_root);
    if (error == NoError) {
        const auto made = after.find(name.toStdString());
        QVERIFY2(made != after.end(), "the folder is not there under the exact name");
        QCOMPARE(made->second.type, 'd');
        after.erase(made);
    }
    QCOMPARE(fsDiff(before, after), QString());
}

void TestFileOperations::removeDir_data() {
    QTest::addColumn<QByteArrayList>("entries");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("error");

    QTest::newRow("empty folder") << QByteArrayList{folder("dir"), file("beside")}
                                  << QByteArray("dir") << NoError;
    QTest::newRow("name with blanks and invalid UTF-8")
        << QByteArrayList{folder("a b\xFF "), folder("a b\xEF\xBF\xBD ")} << QByteArray("a b\xFF ")
        << NoError;
    QTest::newRow("hidden file only") << QByteArrayList{folder("dir"), file("dir/.cache")}
                                      << QByteArray("dir") << int(ErrorKind::NotEmpty);
    QTest::newRow("sub-folder only") << QByteArrayList{folder("dir"), folder("dir/sub")}
                                     << QByteArray("dir") << int(ErrorKind::NotEmpty);
    QTest::newRow("link to a folder: nothing removed through it")
        << QByteArrayList{folder("dir"), symlinkEntry("link", "dir")} << QByteArray("link")
        << int(ErrorKind::NotADirectory);
    QTest::newRow("a file") << QByteArrayList{file("f")} << QByteArray("f")
                            << int(ErrorKind::NotADirectory);
    QTest::newRow("vanished folder")
        << QByteArrayList{} << QByteArray("gone") << int(ErrorKind::NotFound);
    QTest::newRow("embedded NUL refused")
        << QByteArrayList{folder("dir")} << QByteArray("dir\0x", 5) << int(ErrorKind::InvalidName);
}

void TestFileOperations::removeDir() {
    QFETCH(QByteArrayList, entries);
    QFETCH(QByteArray, target);
    QFETCH(int, error);
    QVERIFY2(build(m_root, entries), qPrintable(fsLastError()));
    const FsSnapshot before = fsSnapshot(m_root);
    const std::string path = fsJoin(m_root, target.toStdString());

    QString message;
    QCOMPARE(errorOf([&] { fileops::removeDir(path); }, path, &message), error);
    if (error == int(ErrorKind::NotADirectory))
        QVERIFY2(!message.startsWith(QStringLiteral("Fichier introuvable")), qPrintable(message));

    FsSnapshot expected = before;
    if (error == NoError)
        QCOMPARE(expected.erase(target.toStdString()), std::size_t(1));
    QCOMPARE(fsDiff(expected, fsSnapshot(m_root)), QString());
}

void TestFileOperations::details_data() {
    QTest::addColumn<QString>("kind"); // file, sparse, link or dangling
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("modified");
    QTest::addColumn<qint64>("expectedLength");
    QTest::addColumn<qint64>("expectedDate");

    const auto utc = [](int y, int mo, int d, int h, int mi, int s) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC).toSecsSinceEpoch();
    };
    const qint64 now = utc(2026, 12, 8, 7, 32, 51);
    QTest::newRow("empty file") << "file" << qint64(0) << now << qint64(0) << now;
    QTest::newRow("1234 bytes") << "file" << qint64(1234) << now << qint64(1234) << now;
    QTest::newRow("sparse 5 GiB") << "sparse" << qint64(5368709120) << now << qint64(5368709120)
                                  << now;
    QTest::newRow("sparse 2 GiB, the first size past 31 bits")
        << "sparse" << qint64(2147483648) << now << qint64(2147483648) << now;
    const qint64 d1950 = utc(1950, 6, 1, 0, 0, 0);
    QTest::newRow("1950-06-01") << "file" << qint64(3) << d1950 << qint64(3) << d1950;
    const qint64 d1969 = utc(1969, 12, 31, 23, 59, 59);
    QTest::newRow("1969-12-31 23:59:59") << "file" << qint64(3) << d1969 << qint64(3) << d1969;
    const qint64 d2400 = utc(2400, 1, 1, 0, 0, 0);
    QTest::newRow("2400-01-01") << "file" << qint64(3) << d2400 << qint64(3) << d2400;
    // A link's details are its file's; a dangling link's are its own (it is listed so that
    // it can be deleted, and clicking it must not fail).
    QTest::newRow("link to a file") << "link" << qint64(10) << now << qint64(10) << now;
    QTest::newRow("dangling link")
        << "dangling" << qint64(0) << d1950 << qint64(std::strlen("nowhere")) << d1950;
}

void TestFileOperations::details() {
    QFETCH(QString, kind);
    QFETCH(qint64, size);
    QFETCH(qint64, modified);
    QFETCH(qint64, expectedLength);
    QFETCH(qint64, expectedDate);

    const std::string target = fsJoin(m_root, "target");
    std::string path = target;
    if (kind == QLatin1String("sparse")) {
        QVERIFY(fsWriteFile(target, ""));
        QCOMPARE(::truncate(target.c_str(), size), 0);
    } else if (kind != QLatin1String("dangling")) {
        QVERIFY(fsWriteFile(target, std::string(static_cast<std::size_t>(size), 'x')));
    }
    if (kind == QLatin1String("link") || kind == QLatin1String("dangling")) {
        path = fsJoin(m_root, "link");
        QVERIFY(fsMakeLink(kind == QLatin1String("link") ? "target" : "nowhere", path));
        QVERIFY(fsSetModified(path, modified - 1000)); // the link's own date
    }
    QVERIFY2(fsSetModified(kind == QLatin1String("dangling") ? path : target, modified),
             qPrintable(fsLastError()));
    struct stat st {};
    QCOMPARE(::lstat(kind == QLatin1String("dangling") ? path.c_str() : target.c_str(), &st), 0);
    if (st.st_mtim.tv_sec != modified)
        QUERVELLE_SKIP("the file system here cannot store this date");

    QCOMPARE(fileops::fileLength(path), expectedLength);
    QCOMPARE(fileops::fileDate(path).secondsSinceEpoch, expectedDate);
}

void TestFileOperations::detailsErrors_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("error");
    QTest::newRow("vanished file") << QByteArray("gone") << int(ErrorKind::NotFound);
    QTest::newRow("embedded NUL") << QByteArray("f\0x", 3) << int(ErrorKind::InvalidName);
    QTest::newRow("below a file") << QByteArray("f/x") << int(ErrorKind::NotFound);
}

void TestFileOperations::detailsErrors() {
    QFETCH(QByteArray, name);
    QFETCH(int, error);
    QVERIFY(fsWriteFile(fsJoin(m_root, "f"), "content"));
    const std::string path = fsJoin(m_root, name.toStdString());
    QCOMPARE(errorOf([&] { fileops::fileLength(path); }, path), error);
    QCOMPARE(errorOf([&] { fileops::fileDate(path); }, path), error);
}

namespace {

// A script that tells how it was run: the path it was given, its number of arguments, and a
// variable of the environment.
std::string probeScript(const std::string &marker) {
    // Written aside, then renamed: the marker, once there, is whole.
    return "#!/bin/sh\nprintf '%s|%s|%s|%s' \"$0\" \"$#\" \"$QUERVELLE_TEST_PROBE\" \"$(pwd -P)\" "
           "> '" +
           marker + ".part' && mv '" + marker + ".part' '" + marker + "'\n";
}

std::string trapScript(const std::string &marker) {
    return "#!/bin/sh\necho trap > '" + marker + "'\n";
}

} // namespace

void TestFileOperations::startProgram_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("given");     // the path handed over, empty for the full path
    QTest::addColumn<QByteArrayList>("traps"); // executables that must not run

    QTest::newRow("script by its full path")
        << QByteArray("run.sh") << QByteArray() << QByteArrayList{};
    // Its working folder is its own, not the folder the test works in.
    QTest::newRow("script in a folder of its own works there")
        << QByteArray("outils/run.sh") << QByteArray() << QByteArrayList{};
    QTest::newRow("a folder with a space and a quote")
        << QByteArray("mes outils'/run.sh") << QByteArray() << QByteArrayList{};
    QTest::newRow("a file named ls") << QByteArray("ls") << QByteArray() << QByteArrayList{};
    QTest::newRow("a bare name is never searched in PATH")
        << QByteArray("ls") << QByteArray("ls") << QByteArrayList{};
    QTest::newRow("spaces, with a trap named like the first word")
        << QByteArray("mon programme.sh") << QByteArray() << QByteArrayList{"mon"};
    QTest::newRow("semicolon") << QByteArray("run;touch x") << QByteArray()
                               << QByteArrayList{"run"};
    QTest::newRow("command substitution")
        << QByteArray("$(touch x).sh") << QByteArray() << QByteArrayList{};
    QTest::newRow("back quotes") << QByteArray("`touch x`.sh") << QByteArray() << QByteArrayList{};
    QTest::newRow("quotes") << QByteArray("l'\"essai\".sh") << QByteArray() << QByteArrayList{};
    QTest::newRow("leading dash") << QByteArray("-c") << QByteArray() << QByteArrayList{};
    QTest::newRow("invalid UTF-8 beside its replacement twin")
        << QByteArray("p\xFF") << QByteArray() << QByteArrayList{"p\xEF\xBF\xBD"};
}

void TestFileOperations::startProgram() {
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, given);
    QFETCH(QByteArrayList, traps);

    const std::string marker = fsJoin(m_root, "marker");
    const std::string trapMarker = fsJoin(m_root, "trap-marker");
    const std::string path = fsJoin(m_root, name.toStdString());
    const qsizetype slash = name.lastIndexOf('/');
    if (slash > 0)
        QVERIFY(fsMakeDir(fsJoin(m_root, name.left(slash).toStdString())));
    QVERIFY2(fsWriteFile(path, probeScript(marker), 0755), qPrintable(fsLastError()));
    for (const QByteArray &trap : traps)
        QVERIFY(fsWriteFile(fsJoin(m_root, trap.toStdString()), trapScript(trapMarker), 0755));
    FsSnapshot expected = fsSnapshot(m_root);
    qputenv("QUERVELLE_TEST_PROBE", "inherited");

    const std::string handed = given.isEmpty() ? path : given.toStdString();
    fileops::startProgram(handed, quervelle::WindowStyleMinimizedFocus);

    QTRY_VERIFY_WITH_TIMEOUT(fsExists(marker), 20000);
    const std::string parent = path.substr(0, path.rfind('/'));
    const QByteArray folder = QFile::encodeName(
        QFileInfo(QFile::decodeName(parent.c_str())).canonicalFilePath()); // as pwd -P writes it
    QCOMPARE(QByteArray::fromStdString(fsReadFile(marker)),
             QByteArray::fromStdString(handed + "|0|inherited|") + folder);
    // The program ends and is reaped: no zombie is left behind.
    QTRY_COMPARE_WITH_TIMEOUT(childProcesses(), 0, 20000);
    QVERIFY(!fsExists(trapMarker));
    FsSnapshot after = fsSnapshot(m_root);
    after.erase("marker");
    QCOMPARE(fsDiff(expected, after), QString());
}

void TestFileOperations::startRefused_data() {
    QTest::addColumn<QString>("kind"); // plain, script, folder, missing
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("error");
    QTest::newRow("no execute bit")
        << "plain" << QByteArray("run.sh") << int(ErrorKind::NotExecutable);
    QTest::newRow("no interpreter line, never handed to a shell")
        << "script" << QByteArray("run") << int(ErrorKind::NotExecutable);
    QTest::newRow("a folder") << "folder" << QByteArray("dir") << int(ErrorKind::NotExecutable);
    QTest::newRow("vanished file") << "missing" << QByteArray("gone") << int(ErrorKind::NotFound);
    QTest::newRow("embedded NUL") << "plain" << QByteArray("run.sh\0x", 8)
                                  << int(ErrorKind::InvalidName);
}

void TestFileOperations::startRefused() {
    QFETCH(QString, kind);
    QFETCH(QByteArray, name);
    QFETCH(int, error);
    const std::string marker = fsJoin(m_root, "marker");
    const qsizetype nul = name.indexOf('\0');
    const std::string stored = fsJoin(m_root, (nul < 0 ? name : name.left(nul)).toStdString());
    if (kind == QLatin1String("plain"))
        QVERIFY(fsWriteFile(stored, probeScript(marker), 0644));
    else if (kind == QLatin1String("script"))
        QVERIFY(fsWriteFile(stored, "printf ran > '" + marker + "'\n", 0755));
    else if (kind == QLatin1String("folder"))
        QVERIFY(fsMakeDir(stored));
    const FsSnapshot before = fsSnapshot(m_root);
    const std::string path = fsJoin(m_root, name.toStdString());

    QCOMPARE(errorOf([&] { fileops::startProgram(path, 2); }, path), error);
    // Refused before anything starts: no child of ours exists at all.
    QCOMPARE(childProcesses(), 0);
    QCOMPARE(fsDiff(before, fsSnapshot(m_root)), QString());
}

void TestFileOperations::readOnlyFileSystem_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QByteArray>("target");
    QTest::newRow("Kill") << "kill" << QByteArray("f");
    QTest::newRow("Créer dossier") << "makeDir" << QByteArray("new");
    QTest::newRow("RmDir") << "removeDir" << QByteArray("empty");
}

void TestFileOperations::readOnlyFileSystem() {
    QFETCH(QString, operation);
    QFETCH(QByteArray, target);
    if (!g_mounts.ready)
        QUERVELLE_SKIP(qPrintable(g_mounts.reason));
    const std::string ro = fsJoin(m_root, "ro");
    QVERIFY(fsMakeDir(ro) && fsWriteFile(fsJoin(ro, "f"), "data") &&
            fsMakeDir(fsJoin(ro, "empty")));
    QVERIFY2(::mount(ro.c_str(), ro.c_str(), nullptr, MS_BIND, nullptr) == 0, std::strerror(errno));
    const auto unmount = qScopeGuard([&] { ::umount2(ro.c_str(), MNT_DETACH); });
    QVERIFY2(::mount(nullptr, ro.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0,
             std::strerror(errno));
    const FsSnapshot before = fsSnapshot(ro);
    const std::string path = fsJoin(ro, target.toStdString());

    QString message;
    const int kind = errorOf(
        [&] {
            if (operation == QLatin1String("kill"))
                fileops::killFile(path);
            else if (operation == QLatin1String("makeDir"))
                fileops::makeDir(path);
            else
                fileops::removeDir(path);
        },
        path, &message);
    QCOMPARE(kind, int(ErrorKind::ReadOnlyFileSystem));
    QVERIFY2(message.startsWith(QStringLiteral("Le disque est en lecture seule : ")),
             qPrintable(message));
    QCOMPARE(fsDiff(before, fsSnapshot(ro)), QString());
}

void TestFileOperations::fullFileSystem() {
    if (!g_mounts.ready)
        QUERVELLE_SKIP(qPrintable(g_mounts.reason));
    const std::string full = fsJoin(m_root, "full");
    QVERIFY(fsMakeDir(full));
    QVERIFY2(::mount("quervelle-test", full.c_str(), "tmpfs", 0, "size=64k,nr_inodes=8") == 0,
             std::strerror(errno));
    const auto unmount = qScopeGuard([&] { ::umount2(full.c_str(), MNT_DETACH); });
    // Use up every inode of the tiny file system.
    for (int i = 0; i < 64; ++i) {
        if (!fsWriteFile(fsJoin(full, "fill" + std::to_string(i)), "x"))
            break;
    }
    const FsSnapshot before = fsSnapshot(full);
    const std::string path = fsJoin(full, "Nouveau");
    QString message;
    QCOMPARE(errorOf([&] { fileops::makeDir(path); }, path, &message), int(ErrorKind::NoSpace));
    QVERIFY2(message.startsWith(QStringLiteral("Plus de place sur le disque : ")),
             qPrintable(message));
    QCOMPARE(fsDiff(before, fsSnapshot(full)), QString());
}

void TestFileOperations::noWritePermission_data() {
    readOnlyFileSystem_data();
}

void TestFileOperations::noWritePermission() {
    QFETCH(QString, operation);
    QFETCH(QByteArray, target);
    const WithoutPermissionOverride asUser;
    if (!asUser.active())
        QUERVELLE_SKIP(qPrintable(QStringLiteral("as root, without dropping its permission "
                                                 "override: ") +
                                  asUser.reason()));
    const std::string locked = fsJoin(m_root, "locked");
    QVERIFY(fsMakeDir(locked) && fsWriteFile(fsJoin(locked, "f"), "data") &&
            fsMakeDir(fsJoin(locked, "empty")));
    QCOMPARE(::chmod(locked.c_str(), 0555), 0);
    const auto unlock = qScopeGuard([&] { ::chmod(locked.c_str(), 0755); });
    const FsSnapshot before = fsSnapshot(locked);
    const std::string path = fsJoin(locked, target.toStdString());
    const int kind = errorOf(
        [&] {
            if (operation == QLatin1String("kill"))
                fileops::killFile(path);
            else if (operation == QLatin1String("makeDir"))
                fileops::makeDir(path);
            else
                fileops::removeDir(path);
        },
        path);
    QCOMPARE(kind, int(ErrorKind::AccessDenied));
    QCOMPARE(fsDiff(before, fsSnapshot(locked)), QString());
}

int main(int argc, char **argv) {
    preparePrivateMounts(); // before Qt starts any thread
    QCoreApplication app(argc, argv);
    TestFileOperations test;
    return exitCode(QTest::qExec(&test, argc, argv));
}

#include "tst_fileoperations.moc"
