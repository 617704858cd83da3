#include "platform/files/pathtext.h"

#include <QTest>

#include <string>
#include <vector>

namespace pathtext = quervelle::pathtext;

// Every helper is checked with Linux texts ('/') and Windows texts ('\\'), whatever the system
// the tests run on.
class TestPathText : public QObject {
    Q_OBJECT
private slots:
    void normalizedAndParent_data();
    void normalizedAndParent();
    void liesUnder_data();
    void liesUnder();
    void join_data();
    void join();
    void driveHolding_data();
    void driveHolding();
    void nameOf_data();
    void nameOf();
    void driveRootOf_data();
    void driveRootOf();
    void namesBelow_data();
    void namesBelow();
};

void TestPathText::normalizedAndParent_data() {
    QTest::addColumn<char>("separator");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("normalized");
    QTest::addColumn<QByteArray>("parent"); // of the normalized path

    QTest::newRow("linux root") << '/' << QByteArray("/") << QByteArray("/") << QByteArray("/");
    QTest::newRow("linux root written twice")
        << '/' << QByteArray("//") << QByteArray("/") << QByteArray("/");
    QTest::newRow("linux folder under root")
        << '/' << QByteArray("/home") << QByteArray("/home") << QByteArray("/");
    QTest::newRow("linux repeated and trailing separators")
        << '/' << QByteArray("/home//anne///") << QByteArray("/home/anne") << QByteArray("/home");
    QTest::newRow("linux name ending in a space kept")
        << '/' << QByteArray("/tmp/a /b ") << QByteArray("/tmp/a /b ") << QByteArray("/tmp/a ");
    QTest::newRow("linux backslash is a plain byte")
        << '/' << QByteArray("/a\\\\b") << QByteArray("/a\\\\b") << QByteArray("/");
    QTest::newRow("windows drive root")
        << '\\' << QByteArray("C:\\") << QByteArray("C:\\") << QByteArray("C:\\");
    QTest::newRow("windows drive root written twice")
        << '\\' << QByteArray("C:\\\\") << QByteArray("C:\\") << QByteArray("C:\\");
    QTest::newRow("windows folder under root")
        << '\\' << QByteArray("C:\\Temp") << QByteArray("C:\\Temp") << QByteArray("C:\\");
    QTest::newRow("windows doubled separator after the drive")
        << '\\' << QByteArray("d:\\\\setup\\") << QByteArray("d:\\setup") << QByteArray("d:\\");
    QTest::newRow("windows deep folder")
        << '\\' << QByteArray("C:\\a\\b\\c") << QByteArray("C:\\a\\b\\c") << QByteArray("C:\\a\\b");
    QTest::newRow("windows trailing dot kept")
        << '\\' << QByteArray("C:\\a.\\b.") << QByteArray("C:\\a.\\b.") << QByteArray("C:\\a.");
    QTest::newRow("windows network path keeps its leading pair")
        << '\\' << QByteArray("\\\\host\\\\share") << QByteArray("\\\\host\\share")
        << QByteArray("\\\\host");
    QTest::newRow("empty stays empty") << '/' << QByteArray("") << QByteArray("") << QByteArray("");
    QTest::newRow("bare name is its own parent")
        << '/' << QByteArray("name") << QByteArray("name") << QByteArray("name");
}

void TestPathText::normalizedAndParent() {
    QFETCH(char, separator);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, normalized);
    QFETCH(QByteArray, parent);
    const std::string result = pathtext::normalized(path.toStdString(), separator);
    QCOMPARE(QByteArray::fromStdString(result), normalized);
    QCOMPARE(QByteArray::fromStdString(pathtext::parentOf(result, separator)), parent);
}

void TestPathText::liesUnder_data() {
    QTest::addColumn<char>("separator");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("root");
    QTest::addColumn<bool>("under");

    QTest::newRow("the root itself") << '/' << QByteArray("/home") << QByteArray("/home") << true;
    QTest::newRow("a folder inside") << '/' << QByteArray("/home/x") << QByteArray("/home") << true;
    QTest::newRow("a longer name is not inside")
        << '/' << QByteArray("/homework") << QByteArray("/home") << false;
    QTest::newRow("everything lies under /")
        << '/' << QByteArray("/x/y") << QByteArray("/") << true;
    QTest::newRow("a parent does not lie under its child")
        << '/' << QByteArray("/home") << QByteArray("/home/x") << false;
    QTest::newRow("case counts") << '/' << QByteArray("/Home/x") << QByteArray("/home") << false;
    QTest::newRow("nothing lies under the empty text")
        << '/' << QByteArray("/x") << QByteArray("") << false;
    QTest::newRow("windows folder under its root")
        << '\\' << QByteArray("C:\\Temp") << QByteArray("C:\\") << true;
    QTest::newRow("windows other drive")
        << '\\' << QByteArray("D:\\Temp") << QByteArray("C:\\") << false;
    QTest::newRow("windows slash is not a separator")
        << '\\' << QByteArray("C:\\a/b") << QByteArray("C:\\a/") << false;
}

void TestPathText::liesUnder() {
    QFETCH(char, separator);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, root);
    QFETCH(bool, under);
    QCOMPARE(pathtext::liesUnder(path.toStdString(), root.toStdString(), separator), under);
}

void TestPathText::join_data() {
    QTest::addColumn<char>("separator");
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("joined");

    QTest::newRow("linux root") << '/' << QByteArray("/") << QByteArray("a") << QByteArray("/a");
    QTest::newRow("linux folder") << '/' << QByteArray("/tmp") << QByteArray("a b")
                                  << QByteArray("/tmp/a b");
    QTest::newRow("windows root") << '\\' << QByteArray("C:\\") << QByteArray("a.txt")
                                  << QByteArray("C:\\a.txt");
    QTest::newRow("windows folder")
        << '\\' << QByteArray("C:\\Temp") << QByteArray("a.txt") << QByteArray("C:\\Temp\\a.txt");
    QTest::newRow("wildcards are plain bytes")
        << '/' << QByteArray("/tmp") << QByteArray("*") << QByteArray("/tmp/*");
}

void TestPathText::join() {
    QFETCH(char, separator);
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, joined);
    QCOMPARE(QByteArray::fromStdString(
                 pathtext::join(folder.toStdString(), name.toStdString(), separator)),
             joined);
}

void TestPathText::driveHolding_data() {
    QTest::addColumn<char>("separator");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("drive"); // -1: none

    QTest::newRow("root only") << '/' << QByteArray("/etc") << 0;
    QTest::newRow("the longest mount path wins") << '/' << QByteArray("/home/anne/x") << 2;
    QTest::newRow("the mount path itself") << '/' << QByteArray("/home") << 1;
    QTest::newRow("a name that only starts like a mount path")
        << '/' << QByteArray("/homework") << 0;
    QTest::newRow("windows letter") << '\\' << QByteArray("D:\\x") << 4;
    QTest::newRow("windows letter of no drive") << '\\' << QByteArray("E:\\x") << -1;
}

void TestPathText::driveHolding() {
    QFETCH(char, separator);
    QFETCH(QByteArray, path);
    QFETCH(int, drive);
    const std::vector<std::string> roots =
        separator == '/' ? std::vector<std::string>{"/", "/home", "/home/anne"}
                         : std::vector<std::string>{"", "", "", "C:\\", "D:\\"};
    const auto found = pathtext::longestRootHolding(roots, path.toStdString(), separator);
    QCOMPARE(found ? static_cast<int>(*found) : -1, drive);
}

void TestPathText::nameOf_data() {
    QTest::addColumn<char>("separator");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("name");

    QTest::newRow("file in a folder") << '/' << QByteArray("/home/a.txt") << QByteArray("a.txt");
    QTest::newRow("in the root") << '/' << QByteArray("/a") << QByteArray("a");
    QTest::newRow("a bare name") << '/' << QByteArray("a.txt") << QByteArray("a.txt");
    QTest::newRow("ends with a separator") << '/' << QByteArray("/home/") << QByteArray("");
    QTest::newRow("a backslash is part of a linux name")
        << '/' << QByteArray("/x/a\\b") << QByteArray("a\\b");
    QTest::newRow("windows") << '\\' << QByteArray("C:\\x\\y.txt") << QByteArray("y.txt");
    QTest::newRow("windows root") << '\\' << QByteArray("C:\\") << QByteArray("");
}

void TestPathText::nameOf() {
    QFETCH(char, separator);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, name);
    const std::string text = path.toStdString();
    QCOMPARE(QByteArray::fromStdString(std::string(pathtext::nameOf(text, separator))), name);
}

void TestPathText::driveRootOf_data() {
    QTest::addColumn<char>("separator");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("root");

    QTest::newRow("linux") << '/' << QByteArray("/media/x") << QByteArray("/");
    QTest::newRow("a colon is part of a linux name")
        << '/' << QByteArray("C:/x") << QByteArray("/");
    QTest::newRow("windows letter") << '\\' << QByteArray("d:\\Temp") << QByteArray("d:\\");
    QTest::newRow("windows letter alone") << '\\' << QByteArray("E:") << QByteArray("E:\\");
    QTest::newRow("windows network path")
        << '\\' << QByteArray("\\\\host\\share") << QByteArray("\\");
}

void TestPathText::driveRootOf() {
    QFETCH(char, separator);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, root);
    QCOMPARE(QByteArray::fromStdString(pathtext::driveRootOf({}, path.toStdString(), separator)), root);
}

void TestPathText::namesBelow_data() {
    QTest::addColumn<char>("separator");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("root");
    QTest::addColumn<QByteArrayList>("names");

    QTest::newRow("two down from /")
        << '/' << QByteArray("/home/anne") << QByteArray("/") << QByteArrayList{"home", "anne"};
    QTest::newRow("the root itself")
        << '/' << QByteArray("/") << QByteArray("/") << QByteArrayList{};
    QTest::newRow("under a mount path") << '/' << QByteArray("/media/usb/photos")
                                        << QByteArray("/media/usb") << QByteArrayList{"photos"};
    QTest::newRow("a name that only starts like the root")
        << '/' << QByteArray("/homework") << QByteArray("/home") << QByteArrayList{};
    QTest::newRow("repeated separators make no empty name")
        << '/' << QByteArray("/a//b") << QByteArray("/") << QByteArrayList{"a", "b"};
    QTest::newRow("spaces and wildcards are plain bytes")
        << '/' << QByteArray("/a b/*") << QByteArray("/") << QByteArrayList{"a b", "*"};
    QTest::newRow("windows") << '\\' << QByteArray("C:\\Temp\\a") << QByteArray("C:\\")
                             << QByteArrayList{"Temp", "a"};
    QTest::newRow("windows other drive")
        << '\\' << QByteArray("D:\\Temp") << QByteArray("C:\\") << QByteArrayList{};
}

void TestPathText::namesBelow() {
    QFETCH(char, separator);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, root);
    QFETCH(QByteArrayList, names);
    QByteArrayList found;
    for (const std::string &name :
         pathtext::namesBelow(path.toStdString(), root.toStdString(), separator))
        found << QByteArray::fromStdString(name);
    QCOMPARE(found, names);
}

QTEST_GUILESS_MAIN(TestPathText)
#include "tst_pathtext.moc"
