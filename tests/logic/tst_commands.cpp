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

// The full path reading Dir1.Path once per text of the root set, then File1.
QByteArrayList composeReads(int rootTexts, bool readsName) {
    QByteArrayList reads(rootTexts, "Dir1.Path?");
    reads << "File1.Path?";
    if (readsName)
        reads << "File1.FileName?";
    return reads;
}
const QByteArrayList WriteFileReads = composeReads(2, true);
const QByteArrayList WriteNameReads = composeReads(2, false);
const QByteArrayList RunReads = composeReads(3, true);

// A drive slot and what the write protection makes of it.
struct Slot {
    const char *name;
    int listIndex;
    int listCount;
    const char *access; // "writable", "protected" or "overflow"
    QByteArrayList reads() const {
        if (QByteArray(access) == "overflow")
            return {"Drive1.ListIndex?"};
        return {"Drive1.ListIndex?", "Drive1.ListCount?"};
    }
};
const Slot Slots[] = {
    {"first drive", 0, 4, "writable"},         {"middle drive", 2, 4, "writable"},
    {"last drive", 3, 4, "protected"},         {"one-drive list", 0, 1, "protected"},
    {"index 32767", 32767, 32767, "overflow"},
};
const Slot Middle = Slots[1];

void addColumns() {
    QTest::addColumn<QByteArray>("folder");    // Dir1 and File1 both show it
    QTest::addColumn<QByteArray>("name");      // File1's selected name
    QTest::addColumn<QByteArrayList>("typed"); // the input box's answers
    QTest::addColumn<QList<int>>("answers");   // the message boxes' answers
    QTest::addColumn<int>("listIndex");
    QTest::addColumn<int>("listCount");
    QTest::addColumn<int>("fileListCount");
    QTest::addColumn<QByteArrayList>("calls");
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("error");
}

void addRow(const QByteArray &rowName, const QByteArray &folder, const QByteArray &name,
            const QByteArrayList &typed, const QList<int> &answers, const Slot &slot,
            int fileListCount, const QByteArrayList &calls, const QByteArray &entry,
            const QByteArray &reply) {
    const QByteArray error = QByteArray(slot.access) == "overflow" ? "overflow" : "";
    QTest::newRow(rowName.constData())
        << folder << name << typed << answers << slot.listIndex << slot.listCount << fileListCount
        << calls << entry << reply << error;
}

// Runs a handler on a window set up from the current row and checks every column.
void runRow(void (Handlers::*handler)()) {
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, name);
    QFETCH(QByteArrayList, typed);
    QFETCH(QList<int>, answers);
    QFETCH(int, listIndex);
    QFETCH(int, listCount);
    QFETCH(int, fileListCount);
    QFETCH(QByteArrayList, calls);
    QFETCH(QByteArray, entry);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, error);

    Window w;
    w.platform.dirPathValue = w.platform.filePathValue = folder.toStdString();
    w.platform.fileNameValue = name.toStdString();
    for (const QByteArray &text : typed)
        w.platform.inputBoxAnswers.push_back(text.toStdString());
    w.platform.msgBoxAnswers.assign(answers.begin(), answers.end());
    w.platform.listIndex = static_cast<std::int16_t>(listIndex);
    w.platform.listCount = static_cast<std::int16_t>(listCount);
    w.platform.fileListCountValue = static_cast<std::int16_t>(fileListCount);

    QCOMPARE(runHandler(w.handlers, handler), error);
    QCOMPARE(lines(w.platform.calls), calls);
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
    QCOMPARE(lines(w.platform.calls), QByteArrayList{"unloadWindow"});
}

void TestCommands::deleteFile_data() {
    addColumns();
    const QByteArray temp = "C:\\Temp";
    addRow("no file selected", temp, "", {}, {AnswerOk}, Middle, 1, {"File1.FileName?", NoFile},
           "empty", "1");
    addRow("Cancel", temp, "a.txt", {}, {AnswerCancel}, Middle, 1,
           {"File1.FileName?", ConfirmDelete}, "2", "empty");
    addRow("Cancel on the last drive: no drive test", temp, "a.txt", {}, {AnswerCancel}, Slots[2],
           1, {"File1.FileName?", ConfirmDelete}, "2", "empty");
    for (const Slot &slot : Slots) {
        QByteArrayList calls =
            QByteArrayList{"File1.FileName?", ConfirmDelete} + WriteFileReads + slot.reads();
        QList<int> answers{AnswerOk};
        QByteArray reply = "empty";
        if (QByteArray(slot.access) == "writable") {
            calls << "killFile(C:\\Temp\\a.txt)"
                  << "File1.Refresh";
        } else if (QByteArray(slot.access) == "protected") {
            calls << ReadOnly;
            answers << AnswerOk;
            reply = "1";
        }
        addRow("OK, " + QByteArray(slot.name), temp, "a.txt", {}, answers, slot, 1, calls, "1",
               reply);
    }
    const auto deleted = [](const QByteArray &path) {
        return QByteArrayList{"File1.FileName?", ConfirmDelete} + WriteFileReads + Middle.reads() +
               QByteArrayList{"killFile(" + path + ")", "File1.Refresh"};
    };
    addRow("C:\\ root", "C:\\", "a.txt", {}, {AnswerOk}, Middle, 1, deleted("C:\\a.txt"), "1",
           "empty");
    addRow("a:\\ root", "a:\\", "a.txt", {}, {AnswerOk}, Middle, 1, deleted("a:\\a.txt"), "1",
           "empty");
    addRow("d:\\ root is not in the write set", "d:\\", "a.txt", {}, {AnswerOk}, Middle, 1,
           deleted("d:\\\\a.txt"), "1", "empty");
    addRow("a file named * is one file", temp, "*", {}, {AnswerOk}, Middle, 1,
           deleted("C:\\Temp\\*"), "1", "empty");
}

void TestCommands::createFolder_data() {
    addColumns();
    const QByteArray temp = "C:\\Temp";
    for (const Slot &slot : Slots) {
        QByteArrayList calls = QByteArrayList{AskName} + WriteNameReads + slot.reads();
        QList<int> answers;
        QByteArray reply = "empty";
        if (QByteArray(slot.access) == "writable") {
            calls << "makeDir(C:\\Temp\\Nouveau)"
                  << "Dir1.Refresh";
        } else if (QByteArray(slot.access) == "protected") {
            calls << ReadOnly;
            answers << AnswerOk;
            reply = "1";
        }
        addRow("Nouveau, " + QByteArray(slot.name), temp, "", {"Nouveau"}, answers, slot, 0, calls,
               "text:Nouveau", reply);
    }
    const auto created = [](const QByteArray &path) {
        return QByteArrayList{AskName} + WriteNameReads + Middle.reads() +
               QByteArrayList{"makeDir(" + path + ")", "Dir1.Refresh"};
    };
    addRow("C:\\ root", "C:\\", "", {"Nouveau"}, {}, Middle, 0, created("C:\\Nouveau"),
           "text:Nouveau", "empty");
    addRow("a:\\ root", "a:\\", "", {"Nouveau"}, {}, Middle, 0, created("a:\\Nouveau"),
           "text:Nouveau", "empty");
    addRow("d:\\ root is not in the write set", "d:\\", "", {"Nouveau"}, {}, Middle, 0,
           created("d:\\\\Nouveau"), "text:Nouveau", "empty");
    addRow("empty name, then Cancel", temp, "", {""}, {AnswerCancel}, Middle, 0,
           {AskName, NameRequired}, "text:", "2");
    addRow("empty name, Retry, then a name", temp, "", {"", "Nouveau"}, {AnswerRetry}, Middle, 0,
           QByteArrayList{AskName, NameRequired} + created("C:\\Temp\\Nouveau"), "text:Nouveau",
           "4");
    addRow("input box cancelled twice, then Cancel", temp, "", {"", ""},
           {AnswerRetry, AnswerCancel}, Middle, 0, {AskName, NameRequired, AskName, NameRequired},
           "text:", "2");
    addRow("blanks kept", temp, "", {"  Nouveau dossier "}, {}, Middle, 0,
           created("C:\\Temp\\  Nouveau dossier "), "text:  Nouveau dossier ", "empty");
    const QByteArray withNul = QByteArray::fromStdString("ab\0cd"s);
    addRow("name with a NUL handed on whole", temp, "", {withNul}, {}, Middle, 0,
           created("C:\\Temp\\" + withNul), "text:" + withNul, "empty");
}

void TestCommands::runFile_data() {
    addColumns();
    const QByteArray temp = "C:\\Temp";
    addRow("no file selected", temp, "", {}, {AnswerOk}, Middle, 1, {"File1.FileName?", NoFile},
           "empty", "1");
    const auto started = [](const QByteArray &path) {
        return QByteArrayList{"File1.FileName?"} + RunReads +
               QByteArrayList{"shell(" + path + ",2)"};
    };
    // No drive test: every slot runs, the overflowing one included.
    for (Slot slot : Slots) {
        slot.access = "writable";
        addRow("any drive runs, " + QByteArray(slot.name), temp, "prog.exe", {}, {}, slot, 1,
               started("C:\\Temp\\prog.exe"), "empty", "empty");
    }
    addRow("d:\\ root", "d:\\", "setup.exe", {}, {}, Middle, 1, started("d:\\setup.exe"), "empty",
           "empty");
    addRow("D:\\ root, two backslashes", "D:\\", "setup.exe", {}, {}, Middle, 1,
           started("D:\\\\setup.exe"), "empty", "empty");
    addRow("C:\\ root", "C:\\", "setup.exe", {}, {}, Middle, 1, started("C:\\setup.exe"), "empty",
           "empty");
    addRow("a:\\ root", "a:\\", "setup.exe", {}, {}, Middle, 1, started("a:\\setup.exe"), "empty",
           "empty");
    addRow("name with blanks, quotes and $() handed on whole", temp, "mon \"prog\"; $(rm x).exe",
           {}, {}, Middle, 1, started("C:\\Temp\\mon \"prog\"; $(rm x).exe"), "empty", "empty");
}

void TestCommands::removeFolder_data() {
    addColumns();
    const QByteArray old = "C:\\Temp\\Ancien";
    const QByteArrayList checked{ConfirmRemove, "Dir1.Path?", "File1.ListCount?"};
    addRow("Cancel", old, "", {}, {AnswerCancel}, Middle, 0, {ConfirmRemove}, "2", "empty");
    for (const Slot &slot : Slots) {
        QByteArrayList calls = checked + slot.reads();
        QList<int> answers{AnswerOk};
        QByteArray reply = "empty";
        if (QByteArray(slot.access) == "writable") {
            // The directory list gives way to the parent, its Change moves the file list there.
            calls << "removeDir(C:\\Temp\\Ancien)"
                  << "Dir1.Refresh"
                  << "Dir1.Path?"
                  << "File1.FileName=C:\\Temp"
                  << "File1.Refresh";
        } else if (QByteArray(slot.access) == "protected") {
            calls << ReadOnly;
            answers << AnswerOk;
            reply = "1";
        }
        addRow("OK, empty list, " + QByteArray(slot.name), old, "", {}, answers, slot, 0, calls,
               "1", reply);
    }
    addRow("OK, files listed", old, "", {}, {AnswerOk, AnswerOk}, Middle, 3,
           checked + QByteArrayList{NotEmpty}, "1", "1");
    addRow("OK, files listed on the last drive", old, "", {}, {AnswerOk, AnswerOk}, Slots[2], 3,
           checked + QByteArrayList{NotEmpty}, "1", "1");
    addRow("OK, list saturated at 32767", old, "", {}, {AnswerOk, AnswerOk}, Middle, 32767,
           checked + QByteArrayList{NotEmpty}, "1", "1");
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
    w.platform.dirPathValue = w.platform.filePathValue = folder.toStdString();
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

    const auto add = [](const char *row, const char *handler, const QByteArray &typed,
                        const char *step, ErrorKind kind, const QByteArray &path) {
        QTest::newRow(row) << QByteArray(handler) << typed << QByteArray(step) << int(kind) << path;
    };
    add("Kill: file vanished", "delete", "", "killFile(", ErrorKind::NotFound, "C:\\Temp\\a.txt");
    add("Kill: read-only file system", "delete", "", "killFile(", ErrorKind::ReadOnlyFileSystem,
        "C:\\Temp\\a.txt");
    add("Kill: the list cannot be re-read", "delete", "", "File1.Refresh", ErrorKind::AccessDenied,
        "C:\\Temp");
    add("Créer dossier: already exists", "create", "Nouveau", "makeDir(", ErrorKind::AlreadyExists,
        "C:\\Temp\\Nouveau");
    add("Créer dossier: name with a NUL refused", "create", QByteArray::fromStdString("a\0b"s),
        "makeDir(", ErrorKind::InvalidName, QByteArray::fromStdString("C:\\Temp\\a\0b"s));
    add("Créer dossier: name too long", "create", QByteArray(300, 'x'), "makeDir(",
        ErrorKind::NameTooLong, "C:\\Temp\\" + QByteArray(300, 'x'));
    add("RmDir: not empty", "remove", "", "removeDir(", ErrorKind::NotEmpty, "C:\\Temp");
    add("RmDir: permission denied", "remove", "", "removeDir(", ErrorKind::AccessDenied,
        "C:\\Temp");
    add("Exécuter: not executable", "run", "", "shell(", ErrorKind::NotExecutable,
        "C:\\Temp\\a.txt");
}

void TestCommands::failingStepEndsHandler() {
    QFETCH(QByteArray, handler);
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, failingStep);
    QFETCH(int, kind);
    QFETCH(QByteArray, path);

    Window w;
    w.platform.dirPathValue = w.platform.filePathValue = "C:\\Temp";
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
    // The failing step is the last one: no refresh, no further box.
    QVERIFY(QByteArray::fromStdString(w.platform.calls.back()).startsWith(failingStep));
    QCOMPARE(QByteArray::fromStdString(w.platform.dirPathValue), QByteArray("C:\\Temp"));
    QVERIFY(w.platform.goneFolders.empty());
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
