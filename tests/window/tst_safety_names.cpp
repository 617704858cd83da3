// Every name acted on byte for byte, through the whole program: the window's real lists,
// platform, handlers and event dispatch over a real folder. A name is selected with a mouse
// click, its details are read, and "Kill" deletes it; the whole tree (every entry's bytes,
// inode, size and content) must then be what it was less exactly that one entry. The test's
// working folder is inside the tree, so a command that a shell ran ("$(touch x)") would show
// up as a new file.

#include "platform/controls/filelistbox.h"
#include "support/dialogscript.h"
#include "support/fsfixture.h"
#include "support/listfixtures.h"
#include "support/stackfixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <random>
#include <set>

#include <unistd.h>

using namespace quervelle::test;

namespace {

// The folder shown is "dossier" inside the test's tree.
constexpr const char *Shown = "dossier";

// The names every row is played among: each is a neighbour of all the others.
std::vector<std::string> tableNames() {
    return {
        "a\xFF",         // invalid UTF-8
        "a\xEF\xBF\xBD", // the replacement character the bad byte is shown as
        "a",             // what a name is left with when a byte is dropped
        "*",
        "?",
        "\\",
        ":",
        ";",          // wildcards and the separators of other systems
        "$(touch x)", // what a shell would run
        "a\nb",
        "a\tb",
        "b", // control characters, and what splitting leaves
        "-rf",
        "rf", // an option to a command
        "fin  ",
        "fin..",
        "fin",                 // what trimming leaves
        "\xC3\xA9t\xC3\xA9",   // "été", precomposed
        "e\xCC\x81te\xCC\x81", // "été", decomposed
        std::string(255, 'n'), // the longest name a file system takes
        std::string(254, 'n'),
    };
}

// Each file holds as many bytes as its place in the list plus one, so the size shown in the
// details says which file was read.
std::int64_t sizeOf(std::size_t index) {
    return static_cast<std::int64_t>(index + 1);
}

QString readable(const std::string &bytes) {
    return fsShow(bytes);
}

} // namespace

class TestSafetyNames : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void eachNameAlone_data();
    void eachNameAlone();
    void randomNames_data();
    void randomNames();

private:
    std::unique_ptr<QTemporaryDir> m_tree;
    std::string m_root;
    std::string m_folder;
    std::string m_startFolder;
};

void TestSafetyNames::init() {
    m_tree = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tree->isValid());
    m_root = fsPath(*m_tree);
    m_folder = fsJoin(m_root, Shown);
    QVERIFY2(fsMakeDir(m_folder), qPrintable(fsLastError()));
    char cwd[4096];
    QVERIFY(::getcwd(cwd, sizeof cwd));
    m_startFolder = cwd;
    QCOMPARE(::chdir(m_root.c_str()), 0);
}

void TestSafetyNames::cleanup() {
    QCOMPARE(::chdir(m_startFolder.c_str()), 0);
    // Byte-exact removal: the temporary folder's own clean-up cannot see names that are not
    // UTF-8.
    removeTree(m_root);
    m_tree.reset();
}

void TestSafetyNames::eachNameAlone_data() {
    QTest::addColumn<QByteArray>("name");
    const char *rows[] = {
        "invalid UTF-8 a\\xFF",
        "replacement character a\\uFFFD",
        "plain a",
        "star",
        "question mark",
        "backslash",
        "colon",
        "semicolon",
        "shell substitution",
        "newline",
        "tab",
        "plain b",
        "leading dash",
        "plain rf",
        "trailing spaces",
        "trailing dots",
        "plain fin",
        "NFC twin",
        "NFD twin",
        "255 bytes",
        "254 bytes",
    };
    const std::vector<std::string> names = tableNames();
    QCOMPARE(std::size(rows), names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        QTest::newRow(rows[i]) << QByteArray::fromStdString(names[i]);
}

void TestSafetyNames::eachNameAlone() {
    QFETCH(QByteArray, name);
    const std::string target = name.toStdString();
    const std::vector<std::string> names = tableNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string path = fsJoin(m_folder, names[i]);
        QVERIFY2(fsWriteFile(path, std::string(static_cast<std::size_t>(sizeOf(i)), 'q')),
                 qPrintable(fsLastError()));
    }
    // Entries the list does not show, which must be left alone as well.
    QVERIFY(fsWriteFile(fsJoin(m_folder, ".a\xFF"), "hidden"));
    QVERIFY(fsMakeDir(fsJoin(m_folder, "a\xFF.d")));
    QVERIFY(fsWriteFile(fsJoin(m_folder, "a\xFF.d/a\xFF"), "inside"));

    StackFixture stack;
    stack.useDrive(m_root);
    const std::vector<std::string> errors = stack.showFolder(m_folder);
    QVERIFY2(errors.empty(), qPrintable(showLines(errors)));

    // Every name listed once, with its own bytes.
    std::vector<std::string> listed = stack.listed();
    std::vector<std::string> expected = names;
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    QVERIFY2(listed == expected, qPrintable(showLines(stack.listed())));

    // Shown decoded, a byte that is not UTF-8 as U+FFFD.
    const int row = stack.rowOf(target);
    QVERIFY(row >= 0);
    QCOMPARE(QString::fromStdString(stack.shownText(row)), QString::fromUtf8(name));

    // Selected and detailed: the size says which file was read.
    QVERIFY2(stack.clickName(target), qPrintable(readable(target)));
    const auto index =
        static_cast<std::size_t>(std::find(names.begin(), names.end(), target) - names.begin());
    QCOMPARE(stack.text(3).text(), QString::number(sizeOf(index)));
    QVERIFY(!stack.text(2).text().isEmpty());
    QVERIFY2(stack.takeErrors().empty(), "the details of the name failed");

    const FsSnapshot before = fsSnapshot(m_root);
    const std::vector<std::string> killErrors = stack.kill();
    QVERIFY2(killErrors.empty(), qPrintable(showLines(killErrors)));
    const FsSnapshot after = fsSnapshot(m_root);
    const QString diff = diffExceptRemoved(before, after, {std::string(Shown) + "/" + target});
    QVERIFY2(diff.isEmpty(), qPrintable(diff));

    // The list no longer shows it, and shows every other name.
    QCOMPARE(stack.rowOf(target), -1);
    QCOMPARE(stack.listed().size(), names.size() - 1);
    QVERIFY(stack.scriptKeptInStep());
}

void TestSafetyNames::randomNames_data() {
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<int>("count");
    QTest::newRow("seed 1") << 1u << 100;
    QTest::newRow("seed 20261208") << 20261208u << 100;
    QTest::newRow("seed 4242") << 4242u << 100;
}

// Random byte names (never '/' or NUL, never "." or ".."): every name listed is clicked, its
// details must be its own, and every other one is killed; each kill must remove exactly the
// entry that had the selected name's inode and leave every other entry as it was.
void TestSafetyNames::randomNames() {
    QFETCH(unsigned, seed);
    QFETCH(int, count);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> lengths(1, 40);
    std::uniform_int_distribution<int> bytes(1, 255);

    std::vector<std::string> names;
    std::set<std::string> made;
    while (static_cast<int>(names.size()) < count) {
        std::string name;
        const int length = lengths(random);
        while (static_cast<int>(name.size()) < length) {
            const char byte = static_cast<char>(bytes(random));
            if (byte != '/')
                name += byte;
        }
        if (name == "." || name == ".." || !made.insert(name).second)
            continue;
        names.push_back(name);
    }
    std::vector<std::int64_t> sizes;
    for (std::size_t i = 0; i < names.size(); ++i) {
        sizes.push_back(sizeOf(i));
        QVERIFY2(fsWriteFile(fsJoin(m_folder, names[i]),
                             std::string(static_cast<std::size_t>(sizeOf(i)), 'r')),
                 qPrintable(fsLastError()));
    }

    StackFixture stack;
    stack.useDrive(m_root);
    const std::vector<std::string> errors = stack.showFolder(m_folder);
    QVERIFY2(errors.empty(), qPrintable(showLines(errors)));

    // Names starting with "." are hidden; all others are listed.
    std::vector<std::string> visible;
    for (const std::string &name : names) {
        if (name[0] != '.')
            visible.push_back(name);
    }
    std::vector<std::string> listed = stack.listed();
    std::sort(listed.begin(), listed.end());
    std::vector<std::string> expected = visible;
    std::sort(expected.begin(), expected.end());
    QVERIFY2(listed == expected, qPrintable(showLines(stack.listed())));

    std::shuffle(visible.begin(), visible.end(), random);
    for (std::size_t i = 0; i < visible.size(); ++i) {
        const std::string &name = visible[i];
        QVERIFY2(stack.clickName(name), qPrintable(readable(name)));
        const auto index =
            static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin());
        QVERIFY2(stack.text(3).text() == QString::number(sizes[index]), qPrintable(readable(name)));
        if (i % 2 != 0)
            continue;

        const FsSnapshot before = fsSnapshot(m_root);
        const std::string relative = std::string(Shown) + "/" + name;
        const auto chosen = before.find(relative);
        QVERIFY(chosen != before.end());
        const std::vector<std::string> killErrors = stack.kill();
        QVERIFY2(killErrors.empty(), qPrintable(showLines(killErrors)));
        const FsSnapshot after = fsSnapshot(m_root);
        const QString diff = diffExceptRemoved(before, after, {relative});
        QVERIFY2(diff.isEmpty(), qPrintable(readable(name) + u'\n' + diff));
        for (const auto &[left, entry] : after)
            QVERIFY2(entry.inode != chosen->second.inode, qPrintable(readable(left)));
        QCOMPARE(stack.rowOf(name), -1);
    }
    QVERIFY(stack.scriptKeptInStep());
}

int main(int argc, char **argv) {
    useFrenchRegionAndUtc();
    QApplication app(argc, argv);
    TestSafetyNames test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_safety_names.moc"
