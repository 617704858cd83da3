// The commands through the whole program on a real folder, where the system refuses or the
// folder changes under the program: links, folders that are not empty, a folder removed under
// the lists, a file deleted by another program, programs with misleading names, awkward folder
// names, and file details at the edges of sizes and dates. Each error must reach the window's
// error boundary as its French sentence, and the tree must then be exactly as expected.

#include "platform/controls/dirlistbox.h"
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

#include <sys/stat.h>
#include <unistd.h>

using namespace quervelle::test;

namespace {

using Strings = std::vector<std::string>;

Strings toStrings(const QByteArrayList &list) {
    Strings out;
    for (const QByteArray &item : list)
        out.push_back(item.toStdString());
    return out;
}

Strings one(std::string line) {
    return Strings{std::move(line)};
}

// A shell script that writes the path it was started as into marker, whole or not at all.
std::string markerScript(const std::string &marker) {
    return "#!/bin/sh\nprintf '%s' \"$0\" > '" + marker + ".part' && mv '" + marker + ".part' '" +
           marker + "'\n";
}

// How long a started program may take to leave its marker (a bound, never a measurement).
constexpr int StartBoundMs = 30000;

} // namespace

class TestSafetyCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void killLink_data();
    void killLink();
    void removeFolderThroughLink_data();
    void removeFolderThroughLink();
    void removeFolderNotEmpty_data();
    void removeFolderNotEmpty();
    void removeFolderThenGoOn_data();
    void removeFolderThenGoOn();
    void awkwardFolderShown_data();
    void awkwardFolderShown();
    void fileVanished_data();
    void fileVanished();
    void runExactFile_data();
    void runExactFile();
    void runRefused_data();
    void runRefused();
    void createFolder_data();
    void createFolder();
    void details_data();
    void details();

private:
    std::string at(const std::string &relative) const { return fsJoin(m_root, relative); }

    std::unique_ptr<QTemporaryDir> m_tree;
    std::string m_root;
    std::string m_startFolder;
};

void TestSafetyCommands::init() {
    m_tree = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tree->isValid());
    m_root = fsPath(*m_tree);
    char cwd[4096];
    QVERIFY(::getcwd(cwd, sizeof cwd));
    m_startFolder = cwd;
    // Inside the tree, so that anything a shell would run there shows up in the snapshots.
    QCOMPARE(::chdir(m_root.c_str()), 0);
}

void TestSafetyCommands::cleanup() {
    QCOMPARE(::chdir(m_startFolder.c_str()), 0);
    removeTree(m_root);
    m_tree.reset();
}

void TestSafetyCommands::killLink_data() {
    QTest::addColumn<QByteArrayList>("entries");
    QTest::addColumn<QByteArray>("killed");
    QTest::newRow("link to a file beside it")
        << QByteArrayList{"d:dossier", "f:dossier/cible", "l:dossier/lien>cible"}
        << QByteArray("lien");
    QTest::newRow("link to a file in another folder")
        << QByteArrayList{"d:dossier", "d:ailleurs", "f:ailleurs/cible",
                          "l:dossier/lien>../ailleurs/cible"}
        << QByteArray("lien");
    QTest::newRow("dangling link")
        << QByteArrayList{"d:dossier", "l:dossier/lien>absent"} << QByteArray("lien");
    QTest::newRow("link to a link to a file")
        << QByteArrayList{"d:dossier", "f:dossier/cible", "l:dossier/relais>cible",
                          "l:dossier/lien>relais"}
        << QByteArray("lien");
    QTest::newRow("link to a file named star")
        << QByteArrayList{"d:dossier", "f:dossier/*", "f:dossier/autre", "l:dossier/lien>*"}
        << QByteArray("lien");
}

void TestSafetyCommands::killLink() {
    QFETCH(QByteArrayList, entries);
    QFETCH(QByteArray, killed);
    makeEntries(m_root, toStrings(entries));

    StackFixture stack;
    stack.useDrive(m_root);
    QVERIFY(stack.showFolder(at("dossier")).empty());
    QVERIFY(stack.clickName(killed.toStdString()));
    QVERIFY(stack.takeErrors().empty());

    const FsSnapshot before = fsSnapshot(m_root);
    const Strings errors = stack.kill();
    QVERIFY2(errors.empty(), qPrintable(showLines(errors)));
    const QString diff =
        diffExceptRemoved(before, fsSnapshot(m_root), {"dossier/" + killed.toStdString()});
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QCOMPARE(stack.rowOf(killed.toStdString()), -1);
}

void TestSafetyCommands::removeFolderThroughLink_data() {
    QTest::addColumn<QByteArrayList>("entries");
    QTest::newRow("link to an empty folder beside it") << QByteArrayList{"d:vide", "l:lien>vide"};
    QTest::newRow("link to an empty folder further down")
        << QByteArrayList{"d:a", "d:a/vide", "l:lien>a/vide"};
}

// The folder shown is reached through a link: removing it must not remove the folder the
// link leads to, nor the link.
void TestSafetyCommands::removeFolderThroughLink() {
    QFETCH(QByteArrayList, entries);
    makeEntries(m_root, toStrings(entries));

    StackFixture stack;
    stack.useDrive(m_root);
    QVERIFY(stack.showFolder(at("lien")).empty());
    QCOMPARE(stack.file1().listCount(), 0);

    const FsSnapshot before = fsSnapshot(m_root);
    const Strings errors = stack.removeFolder();
    QCOMPARE(errors, one("Ce n'est pas un dossier (lien symbolique) : " + at("lien")));
    const QString diff = fsDiff(before, fsSnapshot(m_root));
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QCOMPARE(stack.dir1().path(), at("lien"));
}

void TestSafetyCommands::removeFolderNotEmpty_data() {
    QTest::addColumn<QByteArrayList>("entries");
    QTest::addColumn<QByteArray>("typedPattern"); // empty: the default pattern
    QTest::newRow("only a hidden file")
        << QByteArrayList{"d:dossier", "f:dossier/.cache"} << QByteArray();
    QTest::newRow("only a hidden folder")
        << QByteArrayList{"d:dossier", "d:dossier/.git"} << QByteArray();
    QTest::newRow("only a sub-folder")
        << QByteArrayList{"d:dossier", "d:dossier/sous", "f:dossier/sous/dedans"} << QByteArray();
    QTest::newRow("only a link to a folder")
        << QByteArrayList{"d:dossier", "d:autre", "l:dossier/lien>../autre"} << QByteArray();
    QTest::newRow("only files the pattern hides")
        << QByteArrayList{"d:dossier", "f:dossier/notes.txt", "f:dossier/photo.jpg"}
        << QByteArray("xyz");
}

// The file list is empty, so the check passes and the removal is asked of the system, which
// refuses: the error is reported and every entry kept.
void TestSafetyCommands::removeFolderNotEmpty() {
    QFETCH(QByteArrayList, entries);
    QFETCH(QByteArray, typedPattern);
    makeEntries(m_root, toStrings(entries));

    StackFixture stack;
    stack.useDrive(m_root);
    QVERIFY(stack.showFolder(at("dossier")).empty());
    if (!typedPattern.isEmpty())
        QVERIFY(stack.applyPattern(typedPattern.toStdString()).empty());
    QCOMPARE(stack.file1().listCount(), 0);

    const FsSnapshot before = fsSnapshot(m_root);
    const Strings errors = stack.removeFolder();
    QCOMPARE(errors, one("Le dossier n'est pas vide : " + at("dossier")));
    const QString diff = fsDiff(before, fsSnapshot(m_root));
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QCOMPARE(stack.dir1().path(), at("dossier"));
    QCOMPARE(stack.file1().path(), at("dossier"));
    QVERIFY(stack.scriptKeptInStep());
}

void TestSafetyCommands::removeFolderThenGoOn_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("plain") << QByteArray("vide");
    QTest::newRow("leading dash") << QByteArray("-rf");
    QTest::newRow("invalid UTF-8") << QByteArray("vide\xFF");
    QTest::newRow("trailing dots") << QByteArray("vide..");
    QTest::newRow("star") << QByteArray("*");
}

// RmDir on the folder shown: it goes, the lists show its parent, and every later command
// works there.
void TestSafetyCommands::removeFolderThenGoOn() {
    QFETCH(QByteArray, name);
    const std::string removed = "parent/" + name.toStdString();
    makeEntries(m_root, {"d:parent", "d:" + removed, "d:parent/voisin", "f:parent/autre"});
    QVERIFY(fsWriteFile(at("parent/fichier"), "12345"));

    StackFixture stack;
    stack.useDrive(m_root);
    QVERIFY(stack.showFolder(at(removed)).empty());
    const FsSnapshot before = fsSnapshot(m_root);

    Strings errors = stack.removeFolder();
    QVERIFY2(errors.empty(), qPrintable(showLines(errors)));
    QCOMPARE(stack.dir1().path(), at("parent"));
    QCOMPARE(stack.file1().path(), at("parent"));
    QCOMPARE(stack.listed(), (Strings{"autre", "fichier"}));

    // Details, Créer dossier and Kill, each in the parent.
    QVERIFY(stack.clickName("fichier"));
    QCOMPARE(stack.text(3).text(), QStringLiteral("5"));
    errors = stack.createFolder("nouveau");
    QVERIFY2(errors.empty(), qPrintable(showLines(errors)));
    QVERIFY(stack.clickName("fichier"));
    errors = stack.kill();
    QVERIFY2(errors.empty(), qPrintable(showLines(errors)));
    QCOMPARE(stack.listed(), Strings{"autre"});

    FsSnapshot after = fsSnapshot(m_root);
    const auto made = after.find("parent/nouveau");
    QVERIFY(made != after.end());
    QCOMPARE(made->second.type, 'd');
    after.erase(made);
    const QString diff = diffExceptRemoved(before, after, {removed, "parent/fichier"});
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QVERIFY(stack.scriptKeptInStep());
}

void TestSafetyCommands::awkwardFolderShown_data() {
    QTest::addColumn<QByteArray>("folder");
    QTest::newRow("invalid UTF-8") << QByteArray("dossier\xFF");
    QTest::newRow("replacement character") << QByteArray("dossier\xEF\xBF\xBD");
    QTest::newRow("star") << QByteArray("*");
    QTest::newRow("newline") << QByteArray("a\nb");
    QTest::newRow("backslash") << QByteArray("a\\b");
    QTest::newRow("trailing space") << QByteArray("dossier ");
    QTest::newRow("leading dash") << QByteArray("-rf");
}

// The folder shown has an awkward name of its own, beside its near twins: details, Kill and
// Créer dossier act inside it and nowhere else.
void TestSafetyCommands::awkwardFolderShown() {
    QFETCH(QByteArray, folder);
    const std::string shown = folder.toStdString();
    makeEntries(m_root, {"d:" + shown, "f:" + shown + "/autre"});
    // Near twins of the folder's name, each holding a file of the same name.
    for (const std::string twin : {"dossier", "dossier\xFF", "dossier\xEF\xBF\xBD", "a", "b"}) {
        if (twin != shown)
            makeEntries(m_root, {"d:" + twin, "f:" + twin + "/fichier"});
    }
    QVERIFY(fsWriteFile(at(shown + "/fichier"), "1234567"));

    StackFixture stack;
    stack.useDrive(m_root);
    QVERIFY(stack.showFolder(at(shown)).empty());
    QCOMPARE(stack.file1().path(), at(shown));
    QVERIFY(stack.clickName("fichier"));
    QCOMPARE(stack.text(3).text(), QStringLiteral("7"));
    const FsSnapshot before = fsSnapshot(m_root);

    Strings errors = stack.kill();
    QVERIFY2(errors.empty(), qPrintable(showLines(errors)));
    errors = stack.createFolder("nouveau");
    QVERIFY2(errors.empty(), qPrintable(showLines(errors)));

    FsSnapshot after = fsSnapshot(m_root);
    const auto made = after.find(shown + "/nouveau");
    QVERIFY2(made != after.end(), qPrintable(fsDiff(before, after)));
    after.erase(made);
    const QString diff = diffExceptRemoved(before, after, {shown + "/fichier"});
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QCOMPARE(stack.listed(), Strings{"autre"});
    QVERIFY(stack.scriptKeptInStep());
}

void TestSafetyCommands::fileVanished_data() {
    QTest::addColumn<bool>("kill"); // Kill the vanished file; otherwise click it for details
    QTest::addColumn<bool>("folderInstead"); // a folder of the same name took its place
    QTest::addColumn<QByteArray>("sentence");
    QTest::newRow("Kill") << true << false << QByteArray("Fichier introuvable");
    QTest::newRow("details") << false << false << QByteArray("Fichier introuvable");
    QTest::newRow("Kill when a folder took its name")
        << true << true << QByteArray("C'est un dossier, pas un fichier");
}

// Another program deletes the file after the list was read (or puts a folder in its place):
// the command reports it, nothing else happens, and the program goes on.
void TestSafetyCommands::fileVanished() {
    QFETCH(bool, kill);
    QFETCH(bool, folderInstead);
    QFETCH(QByteArray, sentence);
    makeEntries(m_root, {"d:dossier"});
    QVERIFY(fsWriteFile(at("dossier/reste"), "abc"));
    QVERIFY(fsWriteFile(at("dossier/partira"), "abcdefg"));

    StackFixture stack;
    stack.useDrive(m_root);
    QVERIFY(stack.showFolder(at("dossier")).empty());
    QVERIFY(stack.clickName("reste"));
    if (kill)
        QVERIFY(stack.clickName("partira"));
    const QString dateShown = stack.text(2).text();
    const QString sizeShown = stack.text(3).text();
    QCOMPARE(sizeShown, kill ? QStringLiteral("7") : QStringLiteral("3"));
    stack.takeLog();

    QCOMPARE(::unlink(at("dossier/partira").c_str()), 0);
    if (folderInstead)
        makeEntries(m_root, {"d:dossier/partira", "f:dossier/partira/dedans"});
    const FsSnapshot before = fsSnapshot(m_root);
    Strings errors;
    if (kill) {
        errors = stack.kill();
    } else {
        QVERIFY(stack.clickName("partira"));
        errors = stack.takeErrors();
    }
    QCOMPARE(errors, one(sentence.toStdString() + " : " + at("dossier/partira")));
    const QString diff = fsDiff(before, fsSnapshot(m_root));
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    if (!kill) {
        // The boxes never show the other file's details beside this selection: they are empty.
        QVERIFY(!dateShown.isEmpty());
        QCOMPARE(stack.file1().currentIndex().row(), stack.rowOf("partira"));
        QCOMPARE(stack.text(2).text(), QString());
        QCOMPARE(stack.text(3).text(), QString());
    }
    // Only the confirmation (for Kill) and the error were shown.
    const Strings expectedLog =
        kill ? Strings{"MsgBox(Effacer le fichier ?,49,Confirmation)", "Error(" + errors[0] + ")"}
             : Strings{"Error(" + errors[0] + ")"};
    QCOMPARE(stack.takeLog(), expectedLog);

    // The program goes on: the other file is detailed and killed.
    QVERIFY(stack.clickName("reste"));
    QCOMPARE(stack.text(3).text(), QStringLiteral("3"));
    QVERIFY(stack.kill().empty());
    QVERIFY(!fsExists(at("dossier/reste")));
    QVERIFY(stack.scriptKeptInStep());
}

void TestSafetyCommands::runExactFile_data() {
    QTest::addColumn<QByteArray>("program");
    QTest::addColumn<QByteArray>("trap"); // a program that a split command line would start
    QTest::newRow("named like a system command") << QByteArray("ls") << QByteArray();
    QTest::newRow("space in the name, trap before it")
        << QByteArray("mon programme.sh") << QByteArray("mon");
    QTest::newRow("shell substitution in the name") << QByteArray("$(touch x).sh") << QByteArray();
    QTest::newRow("leading dash") << QByteArray("-n") << QByteArray();
    QTest::newRow("semicolon, trap after it") << QByteArray("a;b") << QByteArray("b");
}

// Exécuter starts exactly the selected file: never a program of the same name elsewhere,
// never a part of its name.
void TestSafetyCommands::runExactFile() {
    QFETCH(QByteArray, program);
    QFETCH(QByteArray, trap);
    makeEntries(m_root, {"d:dossier", "d:marques"});
    const std::string path = at("dossier/" + program.toStdString());
    const std::string ran = at("marques/ran");
    const std::string trapped = at("marques/trap");
    QVERIFY2(fsWriteFile(path, markerScript(ran), 0755), qPrintable(fsLastError()));
    if (!trap.isEmpty())
        QVERIFY(fsWriteFile(at("dossier/" + trap.toStdString()), markerScript(trapped), 0755));

    StackFixture stack;
    stack.useDrive(m_root);
    QVERIFY(stack.showFolder(at("dossier")).empty());
    QVERIFY(stack.clickName(program.toStdString()));
    const FsSnapshot before = fsSnapshot(at("dossier"));

    const Strings errors = stack.run();
    QVERIFY2(errors.empty(), qPrintable(showLines(errors)));
    QTRY_VERIFY_WITH_TIMEOUT(fsExists(ran), StartBoundMs);
    QCOMPARE(fsReadFile(ran), path);
    QVERIFY(!fsExists(trapped));
    QVERIFY(!fsExists(at("x")));
    const QString diff = fsDiff(before, fsSnapshot(at("dossier")));
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

void TestSafetyCommands::runRefused_data() {
    QTest::addColumn<unsigned>("mode");
    QTest::addColumn<bool>("interpreterLine"); // the script names its interpreter
    QTest::addColumn<bool>("vanish");          // deleted by another program after the click
    QTest::addColumn<QByteArray>("sentence");
    const QByteArray notExecutable("Ce fichier ne peut pas être exécuté");
    QTest::newRow("no execute bit") << 0644u << true << false << notExecutable;
    QTest::newRow("text without an interpreter line") << 0755u << false << false << notExecutable;
    QTest::newRow("vanished") << 0755u << true << true << QByteArray("Fichier introuvable");
}

// A file that cannot be started gives the error and starts nothing; the next Exécuter works.
void TestSafetyCommands::runRefused() {
    QFETCH(unsigned, mode);
    QFETCH(bool, interpreterLine);
    QFETCH(bool, vanish);
    QFETCH(QByteArray, sentence);
    makeEntries(m_root, {"d:dossier", "d:marques"});
    const std::string refused = at("dossier/refus");
    const std::string refusedMark = at("marques/refus");
    const std::string witnessMark = at("marques/temoin");
    // Without its first line the script is plain text that only a shell would run.
    std::string script = markerScript(refusedMark);
    if (!interpreterLine)
        script.erase(0, script.find('\n') + 1);
    QVERIFY(fsWriteFile(refused, script, mode));
    QVERIFY(fsWriteFile(at("dossier/temoin"), markerScript(witnessMark), 0755));

    StackFixture stack;
    stack.useDrive(m_root);
    QVERIFY(stack.showFolder(at("dossier")).empty());
    QVERIFY(stack.clickName("refus"));
    if (vanish)
        QCOMPARE(::unlink(refused.c_str()), 0);

    QCOMPARE(stack.run(), one(sentence.toStdString() + " : " + refused));

    // A program started after it has run to its end, and the refused one never ran.
    QVERIFY(stack.clickName("temoin"));
    QVERIFY(stack.run().empty());
    QTRY_VERIFY_WITH_TIMEOUT(fsExists(witnessMark), StartBoundMs);
    QVERIFY(!fsExists(refusedMark));
}

void TestSafetyCommands::createFolder_data() {
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("sentence"); // empty: the folder is made
    const QByteArray exists("Le fichier ou le dossier existe déjà");
    QTest::newRow("plain") << QByteArray("Nouveau") << QByteArray();
    QTest::newRow("spaces around kept") << QByteArray("  Nouveau  ") << QByteArray();
    QTest::newRow("trailing dots kept") << QByteArray("Nouveau..") << QByteArray();
    QTest::newRow("leading dash") << QByteArray("-p") << QByteArray();
    QTest::newRow("star") << QByteArray("*") << QByteArray();
    QTest::newRow("NFD beside its NFC twin") << QByteArray("e\xCC\x81te\xCC\x81") << QByteArray();
    QTest::newRow("255 bytes") << QByteArray(255, 'n') << QByteArray();
    QTest::newRow("existing folder") << QByteArray("existant") << exists;
    QTest::newRow("existing file") << QByteArray("fichier") << exists;
    QTest::newRow("existing dangling link") << QByteArray("lien") << exists;
    QTest::newRow("existing NFC twin") << QByteArray("\xC3\xA9t\xC3\xA9") << exists;
    QTest::newRow("embedded NUL") << QByteArray("ab\0cd", 5) << QByteArray("Nom incorrect");
    QByteArray cjk;
    for (int i = 0; i < 86; ++i)
        cjk += "\xE6\xBC\xA2";
    QTest::newRow("86 CJK characters, 258 bytes") << cjk << QByteArray("Nom trop long");
    QTest::newRow("256 bytes") << QByteArray(256, 'n') << QByteArray("Nom trop long");
    QTest::newRow("separator inside")
        << QByteArray("absent/b") << QByteArray("Fichier introuvable");
}

// Créer dossier makes exactly the typed name, one level, or fails with the sentence saying
// why and leaves everything as it was.
void TestSafetyCommands::createFolder() {
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, sentence);
    makeEntries(m_root,
                {"d:dossier", "d:dossier/existant", "f:dossier/existant/dedans",
                 "f:dossier/fichier", "l:dossier/lien>absent", "d:dossier/\xC3\xA9t\xC3\xA9"});
    const std::string name = typed.toStdString();
    const std::string path = at("dossier/" + name);

    StackFixture stack;
    stack.useDrive(m_root);
    QVERIFY(stack.showFolder(at("dossier")).empty());
    const FsSnapshot before = fsSnapshot(m_root);

    const Strings errors = stack.createFolder(name);
    FsSnapshot after = fsSnapshot(m_root);
    if (sentence.isEmpty()) {
        QVERIFY2(errors.empty(), qPrintable(showLines(errors)));
        const auto made = after.find("dossier/" + name);
        QVERIFY2(made != after.end(), qPrintable(fsDiff(before, after)));
        QCOMPARE(made->second.type, 'd');
        after.erase(made);
        // Dir1 was refreshed and lists it.
        const Strings rows = rowTexts(stack.dir1());
        QVERIFY(std::find(rows.begin(), rows.end(), QString::fromUtf8(typed).toStdString()) !=
                rows.end());
    } else {
        // A NUL of the path is shown as the symbol for it, so the message stays whole.
        std::string shown = path;
        for (std::size_t nul = shown.find('\0'); nul != std::string::npos; nul = shown.find('\0'))
            shown.replace(nul, 1, "\xE2\x90\x80");
        QVERIFY2(errors == one(sentence.toStdString() + " : " + shown),
                 qPrintable(showLines(errors)));
    }
    const QString diff = fsDiff(before, after);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QVERIFY(stack.scriptKeptInStep());
}

void TestSafetyCommands::details_data() {
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("modified"); // seconds since 1970-01-01 00:00:00 UTC
    QTest::addColumn<QString>("dateText");
    QTest::addColumn<QString>("sizeText");
    QTest::newRow("sparse 5 GiB") << Q_INT64_C(5368709120) << Q_INT64_C(1796715171)
                                  << QStringLiteral("08/12/2026 07:32:51")
                                  << QStringLiteral("5368709120");
    QTest::newRow("2 GiB exactly")
        << Q_INT64_C(2147483648) << Q_INT64_C(0) << QStringLiteral("01/01/1970 00:00:00")
        << QStringLiteral("2147483648");
    QTest::newRow("4 GiB exactly")
        << Q_INT64_C(4294967296) << Q_INT64_C(86399) << QStringLiteral("01/01/1970 23:59:59")
        << QStringLiteral("4294967296");
    QTest::newRow("empty file") << Q_INT64_C(0) << Q_INT64_C(1796715171)
                                << QStringLiteral("08/12/2026 07:32:51") << QStringLiteral("0");
    QTest::newRow("1950-06-01") << Q_INT64_C(1234) << Q_INT64_C(-618105600)
                                << QStringLiteral("01/06/1950 00:00:00") << QStringLiteral("1234");
    QTest::newRow("last second before 1970")
        << Q_INT64_C(1) << Q_INT64_C(-1) << QStringLiteral("31/12/1969 23:59:59")
        << QStringLiteral("1");
    QTest::newRow("2400-01-01") << Q_INT64_C(2) << Q_INT64_C(13569465600)
                                << QStringLiteral("01/01/2400 00:00:00") << QStringLiteral("2");
}

// Details show the whole 64-bit size and the modification date as stored, in the regional
// format (French, UTC here).
void TestSafetyCommands::details() {
    QFETCH(qint64, size);
    QFETCH(qint64, modified);
    QFETCH(QString, dateText);
    QFETCH(QString, sizeText);
    makeEntries(m_root, {"d:dossier", "f:dossier/fichier"});
    const std::string path = at("dossier/fichier");
    QCOMPARE(::truncate(path.c_str(), static_cast<off_t>(size)), 0);
    QVERIFY2(fsSetModified(path, modified), qPrintable(fsLastError()));
    struct stat st {};
    QCOMPARE(::stat(path.c_str(), &st), 0);
    if (static_cast<qint64>(st.st_mtim.tv_sec) != modified)
        QSKIP(qPrintable(QStringLiteral("this file system stores %1 for the date %2")
                             .arg(static_cast<qint64>(st.st_mtim.tv_sec))
                             .arg(modified)));

    StackFixture stack;
    stack.useDrive(m_root);
    QVERIFY(stack.showFolder(at("dossier")).empty());
    QVERIFY(stack.clickName("fichier"));
    QVERIFY(stack.takeErrors().empty());
    QCOMPARE(stack.text(2).text(), dateText);
    QCOMPARE(stack.text(3).text(), sizeText);
}

int main(int argc, char **argv) {
    useFrenchRegionAndUtc();
    QApplication app(argc, argv);
    TestSafetyCommands test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_safety_commands.moc"
