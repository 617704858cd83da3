#include "logic/handlers.h"
#include "support/scriptedplatform.h"

#include <QTest>

#include <string>

using namespace quervelle;
using namespace std::string_literals;
using quervelle::test::describe;
using quervelle::test::lines;
using quervelle::test::runHandler;
using Window = quervelle::test::ScriptedWindow;

namespace {

const QByteArray NoFile = "MsgBox(Aucun fichier n'a été sélectionné !,48,Erreur)";
const QByteArray ConfirmDelete = "MsgBox(Effacer le fichier ?,49,Confirmation)";
const QByteArray ReadOnly = "MsgBox(Ecriture impossible, le CD-Rom n'est pas accessible en "
                            "écriture !,48,Erreur d'accès)";
const QByteArray NameRequired = "MsgBox(Nom du nouveau dossier indispensable !,53,Erreur d'accès)";
const QByteArray ConfirmRemove = "MsgBox(supprimer le dossier ?,49,Confirmation)";
const QByteArray NotEmpty = "MsgBox(Le répertoire désigné n'est pas vide !,48,Erreur)";
const QByteArray AskName = "InputBox(Entrez le nom du dossier que vous voulez créer.,Précision)";

// A drive slot and what the write-protection test makes of it.
struct Slot {
    const char *name;
    int listIndex;
    int listCount;
    const char *verdict; // "writable", "protected" or "overflow"
    bool is(const char *what) const { return QByteArray(verdict) == what; }
};
const Slot Slots[] = {
    {"first drive", 0, 4, "writable"},         {"middle drive", 2, 4, "writable"},
    {"last drive", 3, 4, "protected"},         {"one-drive list", 0, 1, "protected"},
    {"index 32767", 32767, 32767, "overflow"},
};
const Slot Middle = Slots[1];

// What a user finds after a command: the boxes shown, what was asked of the file system or of
// program start, what the lists show, and the window variables.
struct Outcome {
    QByteArrayList boxes = {};
    QByteArrayList operations = {};
    QByteArrayList listed = {};  // File1's names afterwards
    QByteArrayList folders = {}; // Dir1's sub-folders afterwards
    QByteArray shown = {}; // the folder both lists show afterwards; empty: the one they showed
    QByteArray entry = "empty";
    QByteArray reply = "empty";
};

void addColumns() {
    QTest::addColumn<QByteArray>("folder");    // Dir1 and File1 both show it
    QTest::addColumn<QByteArrayList>("files"); // the files of that folder, listed by File1
    QTest::addColumn<QByteArray>("name");      // File1's selected name
    QTest::addColumn<QByteArrayList>("typed"); // the input box's answers
    QTest::addColumn<QList<int>>("answers");   // the message boxes' answers
    QTest::addColumn<int>("listIndex");
    QTest::addColumn<int>("listCount");
    QTest::addColumn<QByteArrayList>("boxes");
    QTest::addColumn<QByteArrayList>("operations");
    QTest::addColumn<QByteArrayList>("listed");
    QTest::addColumn<QByteArrayList>("folders");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("error");
}

void addRow(const QByteArray &rowName, const QByteArray &folder, const QByteArrayList &files,
            const QByteArray &name, const QByteArrayList &typed, const QList<int> &answers,
            const Slot &slot, const Outcome &after) {
    QTest::newRow(rowName.constData())
        << folder << files << name << typed << answers << slot.listIndex << slot.listCount
        << after.boxes << after.operations << after.listed << after.folders
        << (after.shown.isEmpty() ? folder : after.shown) << after.entry << after.reply
        << QByteArray(slot.is("overflow") ? "overflow" : "");
}

QByteArrayList toList(const std::vector<std::string> &texts) {
    return lines(texts);
}

// Runs a handler on a window set up from the current row and checks what the user finds.
void runRow(void (Handlers::*handler)()) {
    QFETCH(QByteArray, folder);
    QFETCH(QByteArrayList, files);
    QFETCH(QByteArray, name);
    QFETCH(QByteArrayList, typed);
    QFETCH(QList<int>, answers);
    QFETCH(int, listIndex);
    QFETCH(int, listCount);
    QFETCH(QByteArrayList, boxes);
    QFETCH(QByteArrayList, operations);
    QFETCH(QByteArrayList, listed);
    QFETCH(QByteArrayList, folders);
    QFETCH(QByteArray, shown);
    QFETCH(QByteArray, entry);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, error);

    Window w;
    std::vector<std::string> names;
    for (const QByteArray &file : files)
        names.push_back(file.toStdString());
    w.platform.addFiles(folder.toStdString(), names);
    w.platform.showInBothLists(folder.toStdString());
    w.platform.fileNameValue = name.toStdString();
    for (const QByteArray &text : typed)
        w.platform.inputBoxAnswers.push_back(text.toStdString());
    w.platform.msgBoxAnswers.assign(answers.begin(), answers.end());
    w.platform.listIndex = static_cast<std::int16_t>(listIndex);
    w.platform.listCount = static_cast<std::int16_t>(listCount);

    QCOMPARE(runHandler(w.handlers, handler), error);
    QCOMPARE(lines(w.platform.boxes), boxes);
    QCOMPARE(lines(w.platform.operations), operations);
    if (listed.size() < 100)
        QCOMPARE(toList(w.platform.listedNames), listed);
    else
        QCOMPARE(qsizetype(w.platform.listedNames.size()), listed.size());
    QCOMPARE(lines(w.platform.listedFolders), folders);
    QCOMPARE(QByteArray::fromStdString(w.platform.dirPathValue), shown);
    QCOMPARE(QByteArray::fromStdString(w.platform.filePathValue), shown);
    QCOMPARE(describe(w.vars.Entry), entry);
    QCOMPARE(describe(w.vars.Reply), reply);
    QVERIFY(w.platform.msgBoxAnswers.empty());
    QVERIFY(w.platform.inputBoxAnswers.empty());
}

} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void close();
    void deleteFile_data();
    void deleteFile() { runRow(&Handlers::deleteFile); }
    void createFolder_data();
    void createFolder() { runRow(&Handlers::createFolder); }
    void runFile_data();
    void runFile() { runRow(&Handlers::runFile); }
    void removeFolder_data();
    void removeFolder() { runRow(&Handlers::removeFolder); }
    void removedFolderGivesWayToParent_data();
    void removedFolderGivesWayToParent();
    void failingStepEndsHandler_data();
    void failingStepEndsHandler();
};

void TestCommands::close() {
    Window w;
    w.handlers.close();
    QVERIFY(w.platform.unloaded);
    QVERIFY(w.platform.boxes.empty());
    QVERIFY(w.platform.operations.empty());
}

void TestCommands::deleteFile_data() {
    addColumns();
    const QByteArray temp = "C:\\Temp";
    const QByteArrayList both{"a.txt", "b.txt"};
    addRow("no file selected", temp, both, "", {}, {AnswerOk}, Middle,
           {.boxes = {NoFile}, .listed = both, .reply = "1"});
    addRow("Cancel", temp, both, "a.txt", {}, {AnswerCancel}, Middle,
           {.boxes = {ConfirmDelete}, .listed = both, .entry = "2"});
    addRow("Cancel on the last drive: no drive test", temp, both, "a.txt", {}, {AnswerCancel},
           Slots[2], {.boxes = {ConfirmDelete}, .listed = both, .entry = "2"});
    for (const Slot &slot : Slots) {
        Outcome after{.boxes = {ConfirmDelete}, .listed = both, .entry = "1"};
        QList<int> answers{AnswerOk};
        if (slot.is("writable")) {
            // The file is gone and the list, read again, no longer shows it.
            after.operations = {"killFile(C:\\Temp\\a.txt)"};
            after.listed = {"b.txt"};
        } else if (slot.is("protected")) {
            after.boxes << ReadOnly;
            answers << AnswerOk;
            after.reply = "1";
        }
        addRow("OK, " + QByteArray(slot.name), temp, both, "a.txt", {}, answers, slot, after);
    }
    const auto deleted = [](const QByteArray &path) {
        return Outcome{.boxes = {ConfirmDelete},
                       .operations = {"killFile(" + path + ")"},
                       .listed = {"b.txt"},
                       .entry = "1"};
    };
    addRow("C:\\ root", "C:\\", both, "a.txt", {}, {AnswerOk}, Middle, deleted("C:\\a.txt"));
    addRow("a:\\ root", "a:\\", both, "a.txt", {}, {AnswerOk}, Middle, deleted("a:\\a.txt"));
    addRow("d:\\ root is not in the write set", "d:\\", both, "a.txt", {}, {AnswerOk}, Middle,
           deleted("d:\\\\a.txt"));
    Outcome star = deleted("C:\\Temp\\*");
    star.listed = {"a.txt", "b.txt"};
    addRow("a file named * is one file", temp, {"*", "a.txt", "b.txt"}, "*", {}, {AnswerOk}, Middle,
           star);
}

void TestCommands::createFolder_data() {
    addColumns();
    const QByteArray temp = "C:\\Temp";
    for (const Slot &slot : Slots) {
        Outcome after{.boxes = {AskName}, .entry = "text:Nouveau"};
        QList<int> answers;
        if (slot.is("writable")) {
            // The folder is made and the directory list, read again, shows it.
            after.operations = {"makeDir(C:\\Temp\\Nouveau)"};
            after.folders = {"Nouveau"};
        } else if (slot.is("protected")) {
            after.boxes << ReadOnly;
            answers << AnswerOk;
            after.reply = "1";
        }
        addRow("Nouveau, " + QByteArray(slot.name), temp, {}, "", {"Nouveau"}, answers, slot,
               after);
    }
    const auto created = [](const QByteArray &path, const QByteArray &name,
                            const QByteArrayList &boxes = {AskName}) {
        return Outcome{.boxes = boxes,
                       .operations = {"makeDir(" + path + ")"},
                       .folders = {name},
                       .entry = "text:" + name};
    };
    addRow("C:\\ root", "C:\\", {}, "", {"Nouveau"}, {}, Middle, created("C:\\Nouveau", "Nouveau"));
    addRow("a:\\ root", "a:\\", {}, "", {"Nouveau"}, {}, Middle, created("a:\\Nouveau", "Nouveau"));
    addRow("d:\\ root is not in the write set", "d:\\", {}, "", {"Nouveau"}, {}, Middle,
           created("d:\\\\Nouveau", "Nouveau"));
    addRow("empty name, then Cancel", temp, {}, "", {""}, {AnswerCancel}, Middle,
           {.boxes = {AskName, NameRequired}, .entry = "text:", .reply = "2"});
    Outcome retried = created("C:\\Temp\\Nouveau", "Nouveau", {AskName, NameRequired, AskName});
    retried.reply = "4";
    addRow("empty name, Retry, then a name", temp, {}, "", {"", "Nouveau"}, {AnswerRetry}, Middle,
           retried);
    addRow(
        "input box cancelled twice, then Cancel", temp, {}, "", {"", ""},
        {AnswerRetry, AnswerCancel}, Middle,
        {.boxes = {AskName, NameRequired, AskName, NameRequired}, .entry = "text:", .reply = "2"});
    addRow("blanks kept", temp, {}, "", {"  Nouveau dossier "}, {}, Middle,
           created("C:\\Temp\\  Nouveau dossier ", "  Nouveau dossier "));
    const QByteArray withNul = QByteArray::fromStdString("ab\0cd"s);
    addRow("name with a NUL handed on whole", temp, {}, "", {withNul}, {}, Middle,
           created("C:\\Temp\\" + withNul, withNul));
}

void TestCommands::runFile_data() {
    addColumns();
    const QByteArray temp = "C:\\Temp";
    const QByteArrayList prog{"prog.exe"};
    addRow("no file selected", temp, prog, "", {}, {AnswerOk}, Middle,
           {.boxes = {NoFile}, .listed = prog, .reply = "1"});
    const auto started = [](const QByteArray &path, const QByteArray &name) {
        return Outcome{.operations = {"shell(" + path + ",2)"}, .listed = {name}};
    };
    // No drive test: every slot runs, the overflowing one included.
    for (Slot slot : Slots) {
        slot.verdict = "writable";
        addRow("any drive runs, " + QByteArray(slot.name), temp, prog, "prog.exe", {}, {}, slot,
               started("C:\\Temp\\prog.exe", "prog.exe"));
    }
    const QByteArrayList setup{"setup.exe"};
    addRow("d:\\ root", "d:\\", setup, "setup.exe", {}, {}, Middle,
           started("d:\\setup.exe", "setup.exe"));
    addRow("D:\\ root, two backslashes", "D:\\", setup, "setup.exe", {}, {}, Middle,
           started("D:\\\\setup.exe", "setup.exe"));
    addRow("C:\\ root", "C:\\", setup, "setup.exe", {}, {}, Middle,
           started("C:\\setup.exe", "setup.exe"));
    addRow("a:\\ root", "a:\\", setup, "setup.exe", {}, {}, Middle,
           started("a:\\setup.exe", "setup.exe"));
    const QByteArray odd = "mon \"prog\"; $(rm x).exe";
    addRow("name with blanks, quotes and $() handed on whole", temp, {odd}, odd, {}, {}, Middle,
           started("C:\\Temp\\" + odd, odd));
}

void TestCommands::removeFolder_data() {
    addColumns();
    const QByteArray old = "C:\\Temp\\Ancien";
    addRow("Cancel", old, {}, "", {}, {AnswerCancel}, Middle,
           {.boxes = {ConfirmRemove}, .entry = "2"});
    for (const Slot &slot : Slots) {
        Outcome after{.boxes = {ConfirmRemove}, .entry = "1"};
        QList<int> answers{AnswerOk};
        if (slot.is("writable")) {
            // The directory list gives way to the parent, its Change moves the file list there.
            after.operations = {"removeDir(C:\\Temp\\Ancien)"};
            after.shown = "C:\\Temp";
        } else if (slot.is("protected")) {
            after.boxes << ReadOnly;
            answers << AnswerOk;
            after.reply = "1";
        }
        addRow("OK, empty list, " + QByteArray(slot.name), old, {}, "", {}, answers, slot, after);
    }
    const QByteArrayList three{"a.txt", "b.txt", "c.txt"};
    const Outcome refused{.boxes = {ConfirmRemove, NotEmpty}, .entry = "1", .reply = "1"};
    Outcome kept = refused;
    kept.listed = three;
    addRow("OK, files listed", old, three, "", {}, {AnswerOk, AnswerOk}, Middle, kept);
    addRow("OK, files listed on the last drive", old, three, "", {}, {AnswerOk, AnswerOk}, Slots[2],
           kept);
    QByteArrayList many;
    for (int i = 0; i < 40000; ++i)
        many << "f" + QByteArray::number(i) + ".txt";
    Outcome saturated = refused;
    saturated.listed = many;
    addRow("OK, list saturated at 32767", old, many, "", {}, {AnswerOk, AnswerOk}, Middle,
           saturated);
}

void TestCommands::removedFolderGivesWayToParent_data() {
    QTest::addColumn<char>("separator");
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("parent");

    QTest::newRow("folder in C:\\Temp")
        << '\\' << QByteArray("C:\\Temp\\Ancien") << QByteArray("C:\\Temp");
    QTest::newRow("folder at the drive root")
        << '\\' << QByteArray("E:\\Ancien") << QByteArray("E:\\");
    QTest::newRow("Linux folder") << '/' << QByteArray("/home/anne/vieux")
                                  << QByteArray("/home/anne");
    QTest::newRow("Linux folder under /") << '/' << QByteArray("/vieux") << QByteArray("/");
}

void TestCommands::removedFolderGivesWayToParent() {
    QFETCH(char, separator);
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, parent);

    Window w;
    w.platform.sep = separator;
    w.platform.showInBothLists(folder.toStdString());
    w.platform.msgBoxAnswers = {AnswerOk};

    // Re-reading the removed folder would fail; the handler must end without an error.
    QCOMPARE(runHandler(w.handlers, &Handlers::removeFolder), QByteArray());
    QCOMPARE(QByteArray::fromStdString(w.platform.dirPathValue), parent);
    QCOMPARE(QByteArray::fromStdString(w.platform.filePathValue), parent);
    QVERIFY(w.platform.goneFolders.contains(folder.toStdString()));
}

void TestCommands::failingStepEndsHandler_data() {
    QTest::addColumn<QByteArray>("handler");
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("failingStep");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArrayList>("operations"); // asked of the system, the failing one last
    QTest::addColumn<QByteArrayList>("listed");     // File1's names afterwards

    const QByteArrayList both{"a.txt", "b.txt"};
    const auto add = [](const char *row, const char *handler, const QByteArray &typed,
                        const char *step, ErrorKind kind, const QByteArray &path,
                        const QByteArrayList &operations, const QByteArrayList &listed) {
        QTest::newRow(row) << QByteArray(handler) << typed << QByteArray(step) << int(kind) << path
                           << operations << listed;
    };
    const QByteArrayList kill{"killFile(C:\\Temp\\a.txt)"};
    add("Kill: file vanished", "delete", "", "killFile", ErrorKind::NotFound, "C:\\Temp\\a.txt",
        kill, both);
    add("Kill: read-only file system", "delete", "", "killFile", ErrorKind::ReadOnlyFileSystem,
        "C:\\Temp\\a.txt", kill, both);
    // The file is gone; the list could not be read again and still shows what it showed.
    add("Kill: the list cannot be re-read", "delete", "", "File1.Refresh", ErrorKind::AccessDenied,
        "C:\\Temp", kill, both);
    add("Créer dossier: already exists", "create", "Nouveau", "makeDir", ErrorKind::AlreadyExists,
        "C:\\Temp\\Nouveau", {"makeDir(C:\\Temp\\Nouveau)"}, both);
    const QByteArray withNul = QByteArray::fromStdString("C:\\Temp\\a\0b"s);
    add("Créer dossier: name with a NUL refused", "create", QByteArray::fromStdString("a\0b"s),
        "makeDir", ErrorKind::InvalidName, withNul, {"makeDir(" + withNul + ")"}, both);
    const QByteArray tooLong = "C:\\Temp\\" + QByteArray(300, 'x');
    add("Créer dossier: name too long", "create", QByteArray(300, 'x'), "makeDir",
        ErrorKind::NameTooLong, tooLong, {"makeDir(" + tooLong + ")"}, both);
    add("RmDir: not empty", "remove", "", "removeDir", ErrorKind::NotEmpty, "C:\\Temp",
        {"removeDir(C:\\Temp)"}, {});
    add("RmDir: permission denied", "remove", "", "removeDir", ErrorKind::AccessDenied, "C:\\Temp",
        {"removeDir(C:\\Temp)"}, {});
    add("Exécuter: not executable", "run", "", "shell", ErrorKind::NotExecutable, "C:\\Temp\\a.txt",
        {"shell(C:\\Temp\\a.txt,2)"}, both);
}

void TestCommands::failingStepEndsHandler() {
    QFETCH(QByteArray, handler);
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, failingStep);
    QFETCH(int, kind);
    QFETCH(QByteArray, path);
    QFETCH(QByteArrayList, operations);
    QFETCH(QByteArrayList, listed);

    Window w;
    if (handler != "remove") // RmDir asks only with an empty list
        w.platform.addFiles("C:\\Temp", {"a.txt", "b.txt"});
    w.platform.showInBothLists("C:\\Temp");
    w.platform.fileNameValue = "a.txt";
    w.platform.msgBoxAnswers = {AnswerOk};
    w.platform.inputBoxAnswers = {typed.toStdString()};
    const PlatformError failure(static_cast<ErrorKind>(kind), path.toStdString());
    w.platform.failOn(failingStep.toStdString(), failure);

    const std::map<QByteArray, void (Handlers::*)()> handlers{{"delete", &Handlers::deleteFile},
                                                              {"create", &Handlers::createFolder},
                                                              {"remove", &Handlers::removeFolder},
                                                              {"run", &Handlers::runFile}};
    QCOMPARE(runHandler(w.handlers, handlers.at(handler)), QByteArray(failure.what()));
    // The failing step is the last one: nothing further asked, no further box, no move.
    QCOMPARE(lines(w.platform.operations), operations);
    // One box, the confirmation or the input box, before the failing step; Exécuter asks nothing.
    QCOMPARE(w.platform.boxes.size(), std::size_t(handler == "run" ? 0 : 1));
    QCOMPARE(lines(w.platform.listedNames), listed);
    QVERIFY(w.platform.listedFolders.empty());
    QCOMPARE(QByteArray::fromStdString(w.platform.dirPathValue), QByteArray("C:\\Temp"));
    QCOMPARE(QByteArray::fromStdString(w.platform.filePathValue), QByteArray("C:\\Temp"));
    QVERIFY(w.platform.goneFolders.empty());
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
