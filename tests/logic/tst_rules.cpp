#include "logic/rules.h"
#include "platform/files/errors.h"
#include "support/scriptedplatform.h"

#include <QTest>

using namespace quervelle;
using quervelle::test::ScriptedPlatform;

namespace {

RootSet rootSetNamed(const QByteArray &name) {
    if (name == "details")
        return DetailsRootSet;
    if (name == "write")
        return WriteRootSet;
    return RunRootSet;
}

// "" when the call returned, "overflow" when it raised the overflow error.
template <typename F> QByteArray outcome(F call, bool &result) {
    try {
        result = call();
    } catch (const OverflowError &) {
        return "overflow";
    }
    return {};
}

} // namespace

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void composeFullPath_data();
    void composeFullPath();
    void dirPathReadOncePerRootText_data();
    void dirPathReadOncePerRootText();
    void driveSlot_data();
    void driveSlot();
    void filterPattern_data();
    void filterPattern();
};

void TestRules::composeFullPath_data() {
    QTest::addColumn<QByteArray>("rootSet");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QByteArray>("dirPath");
    QTest::addColumn<QByteArray>("filePath");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("expected");

    for (const char *set : {"details", "write", "run"}) {
        QTest::addRow("C:\\ root, %s set", set)
            << QByteArray(set) << '\\' << QByteArray("C:\\") << QByteArray("C:\\")
            << QByteArray("a.txt") << QByteArray("C:\\a.txt");
        QTest::addRow("C:\\Temp, %s set", set)
            << QByteArray(set) << '\\' << QByteArray("C:\\Temp") << QByteArray("C:\\Temp")
            << QByteArray("a.txt") << QByteArray("C:\\Temp\\a.txt");
        QTest::addRow("lower-case c:\\ root, %s set", set)
            << QByteArray(set) << '\\' << QByteArray("c:\\") << QByteArray("c:\\")
            << QByteArray("a.txt") << QByteArray("c:\\\\a.txt");
        QTest::addRow("E:\\ root, %s set", set)
            << QByteArray(set) << '\\' << QByteArray("E:\\") << QByteArray("E:\\")
            << QByteArray("x.doc") << QByteArray("E:\\\\x.doc");
    }
    QTest::newRow("d:\\ root, run set")
        << QByteArray("run") << '\\' << QByteArray("d:\\") << QByteArray("d:\\")
        << QByteArray("setup.exe") << QByteArray("d:\\setup.exe");
    QTest::newRow("d:\\ root, write set")
        << QByteArray("write") << '\\' << QByteArray("d:\\") << QByteArray("d:\\")
        << QByteArray("setup.exe") << QByteArray("d:\\\\setup.exe");
    QTest::newRow("d:\\ root, details set")
        << QByteArray("details") << '\\' << QByteArray("d:\\") << QByteArray("d:\\")
        << QByteArray("setup.exe") << QByteArray("d:\\\\setup.exe");
    QTest::newRow("D:\\ root, run set")
        << QByteArray("run") << '\\' << QByteArray("D:\\") << QByteArray("D:\\")
        << QByteArray("setup.exe") << QByteArray("D:\\\\setup.exe");
    QTest::newRow("a:\\ root, write set")
        << QByteArray("write") << '\\' << QByteArray("a:\\") << QByteArray("a:\\")
        << QByteArray("a.txt") << QByteArray("a:\\a.txt");
    QTest::newRow("a:\\ root, details set")
        << QByteArray("details") << '\\' << QByteArray("a:\\") << QByteArray("a:\\")
        << QByteArray("a.txt") << QByteArray("a:\\\\a.txt");
    QTest::newRow("A:\\ root, write set")
        << QByteArray("write") << '\\' << QByteArray("A:\\") << QByteArray("A:\\")
        << QByteArray("a.txt") << QByteArray("A:\\\\a.txt");
    QTest::newRow("root followed by a blank is no root")
        << QByteArray("write") << '\\' << QByteArray("C:\\ ") << QByteArray("C:\\ ")
        << QByteArray("a.txt") << QByteArray("C:\\ \\a.txt");
    QTest::newRow("root test on Dir1, join on File1")
        << QByteArray("write") << '\\' << QByteArray("C:\\") << QByteArray("C:\\Temp")
        << QByteArray("a.txt") << QByteArray("C:\\Tempa.txt");
    QTest::newRow("Linux root never matches")
        << QByteArray("run") << '/' << QByteArray("/") << QByteArray("/") << QByteArray("a.txt")
        << QByteArray("//a.txt");
    QTest::newRow("Linux folder, name bytes kept")
        << QByteArray("write") << '/' << QByteArray("/home/anne") << QByteArray("/home/anne")
        << QByteArray("a\xff\\*") << QByteArray("/home/anne/a\xff\\*");
}

void TestRules::composeFullPath() {
    QFETCH(QByteArray, rootSet);
    QFETCH(char, separator);
    QFETCH(QByteArray, dirPath);
    QFETCH(QByteArray, filePath);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, expected);

    ScriptedPlatform platform;
    platform.sep = separator;
    platform.dirPathValue = dirPath.toStdString();
    platform.filePathValue = filePath.toStdString();
    platform.fileNameValue = name.toStdString();
    const RootSet set = rootSetNamed(rootSet);

    QCOMPARE(QByteArray::fromStdString(composeSelectedFilePath(platform, set)), expected);
    QCOMPARE(
        QByteArray::fromStdString(quervelle::composeFullPath(platform, set, name.toStdString())),
        expected);
    const auto readDir = [&] { return dirPath.toStdString(); };
    QCOMPARE(QByteArray::fromStdString(quervelle::composeFullPath(
                 set, readDir, filePath.toStdString(), name.toStdString(), separator)),
             expected);
}

void TestRules::dirPathReadOncePerRootText_data() {
    QTest::addColumn<QByteArray>("rootSet");
    QTest::addColumn<QByteArrayList>("dirPathReads"); // what each read of Dir1.Path gives
    QTest::addColumn<bool>("atRoot");

    QTest::newRow("details set, no match")
        << QByteArray("details") << QByteArrayList{"E:\\"} << false;
    QTest::newRow("write set, match on the first text")
        << QByteArray("write") << QByteArrayList{"C:\\", "C:\\"} << true;
    QTest::newRow("write set, match on the second text")
        << QByteArray("write") << QByteArrayList{"a:\\", "a:\\"} << true;
    QTest::newRow("write set, folder changing between reads")
        << QByteArray("write") << QByteArrayList{"a:\\", "C:\\"} << false;
    QTest::newRow("run set, match on the first text")
        << QByteArray("run") << QByteArrayList{"d:\\", "d:\\", "d:\\"} << true;
    QTest::newRow("run set, no match")
        << QByteArray("run") << QByteArrayList{"D:\\", "D:\\", "D:\\"} << false;
}

void TestRules::dirPathReadOncePerRootText() {
    QFETCH(QByteArray, rootSet);
    QFETCH(QByteArrayList, dirPathReads);
    QFETCH(bool, atRoot);

    qsizetype reads = 0;
    const auto readDir = [&] {
        const QByteArray value = dirPathReads.value(reads);
        ++reads;
        return value.toStdString();
    };
    QCOMPARE(dirPathIsRoot(rootSetNamed(rootSet), readDir), atRoot);
    QCOMPARE(reads, dirPathReads.size());

    // Through the controls: Dir1 decides the separator, File1 gives the folder and the name.
    ScriptedPlatform platform;
    platform.dirPathValue = dirPathReads.constFirst().toStdString();
    platform.filePathValue = "F:\\x";
    platform.fileNameValue = "n";
    const bool shownAtRoot =
        dirPathIsRoot(rootSetNamed(rootSet), [&] { return platform.dirPathValue; });
    QCOMPARE(QByteArray::fromStdString(composeSelectedFilePath(platform, rootSetNamed(rootSet))),
             QByteArray(shownAtRoot ? "F:\\xn" : "F:\\x\\n"));
}

void TestRules::driveSlot_data() {
    QTest::addColumn<int>("listIndex");
    QTest::addColumn<int>("listCount");
    QTest::addColumn<QByteArray>("writeProtected"); // "yes", "no" or "overflow"
    QTest::addColumn<QByteArray>("details");

    QTest::newRow("4 drives, first") << 0 << 4 << QByteArray("no") << QByteArray("no");
    QTest::newRow("4 drives, second") << 1 << 4 << QByteArray("no") << QByteArray("yes");
    QTest::newRow("4 drives, third") << 2 << 4 << QByteArray("no") << QByteArray("yes");
    QTest::newRow("4 drives, last") << 3 << 4 << QByteArray("yes") << QByteArray("no");
    QTest::newRow("1 drive, first and last") << 0 << 1 << QByteArray("yes") << QByteArray("no");
    QTest::newRow("2 drives, last") << 1 << 2 << QByteArray("yes") << QByteArray("no");
    QTest::newRow("last of 32767 drives")
        << 32766 << 32767 << QByteArray("yes") << QByteArray("no");
    QTest::newRow("index 32767 overflows")
        << 32767 << 32767 << QByteArray("overflow") << QByteArray("overflow");
    QTest::newRow("lowest index does not overflow")
        << -32768 << 4 << QByteArray("no") << QByteArray("yes");
}

void TestRules::driveSlot() {
    QFETCH(int, listIndex);
    QFETCH(int, listCount);
    QFETCH(QByteArray, writeProtected);
    QFETCH(QByteArray, details);

    const auto index = static_cast<std::int16_t>(listIndex);
    const auto count = static_cast<std::int16_t>(listCount);
    const auto answer = [](QByteArray error, bool result) {
        return error.isEmpty() ? QByteArray(result ? "yes" : "no") : error;
    };
    bool result = false;
    QByteArray error = outcome([&] { return isWriteProtectedDrive(index, count); }, result);
    QCOMPARE(answer(error, result), writeProtected);
    error = outcome([&] { return mayShowDetails(index, count); }, result);
    QCOMPARE(answer(error, result), details);

    // Through the controls: the same answers from the drive list's values.
    ScriptedPlatform platform;
    platform.listIndex = index;
    platform.listCount = count;
    error = outcome([&] { return isWriteProtectedDrive(platform); }, result);
    QCOMPARE(answer(error, result), writeProtected);
    error = outcome([&] { return mayShowDetails(platform); }, result);
    QCOMPARE(answer(error, result), details);
}

void TestRules::filterPattern_data() {
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("pattern");

    QTest::newRow("empty text") << QByteArray("") << QByteArray("*");
    QTest::newRow("single blank") << QByteArray(" ") << QByteArray("* ");
    QTest::newRow("extension") << QByteArray(".txt") << QByteArray("*.txt");
    QTest::newRow("full name") << QByteArray("rapport.doc") << QByteArray("*rapport.doc");
    QTest::newRow("blanks and case kept") << QByteArray(" .TXT ") << QByteArray("* .TXT ");
    QTest::newRow("wildcards kept") << QByteArray("?.b*;*.c") << QByteArray("*?.b*;*.c");
}

void TestRules::filterPattern() {
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, pattern);
    QCOMPARE(QByteArray::fromStdString(quervelle::filterPattern(typed.toStdString())), pattern);
}

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
