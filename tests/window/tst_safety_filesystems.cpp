// Kill, Créer dossier and RmDir on file systems that refuse writes, through the whole program:
// a read-only bind mount, a folder without write permission, and a full file system (a tiny
// tmpfs). Each refusal must reach the window's error boundary as its French sentence, with
// the tree left exactly as it was.
//
// Then every read and command on a file system that fails (an input/output error, no space,
// busy, too many open files, no permission), served by the test itself: one box, and after it
// the lists and the detail boxes show only what is true. And the details of a file that
// cannot be read never leave another file's date and size beside its selection.
//
// The mounts are made in a private mount namespace of this test process, which main() enters
// before any thread exists, so nothing is ever mounted outside the test. Without the privilege
// for that, the rows that need a mount are skipped with the reason. As root, the permission
// rows drop the capability that overrides file permissions for the command, and restore it.

#include "platform/controls/dirlistbox.h"
#include "platform/controls/filelistbox.h"
#include "support/dialogscript.h"
#include "support/failingfs.h"
#include "support/fsfixture.h"
#include "support/listfixtures.h"
#include "support/mountnamespace.h"
#include "support/permissions.h"
#include "support/skipping.h"
#include "support/stackfixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quervelle::test;

namespace {

using Strings = std::vector<std::string>;

enum class Refusing { ReadOnly, NoPermission, Full };
enum class Command { Kill, CreateFolder, RemoveFolder };
enum class Action { Listing, Details, Kill, CreateFolder, RemoveFolder, Run };
enum class Unreadable { Removed, NoPermission };
using Op = FailingFileSystem::Op;

// The sentence the window shows for a system error number.
std::string sentenceFor(int error) {
    switch (error) {
    case EACCES:
        return "Accès refusé";
    case ENOSPC:
        return "Plus de place sur le disque";
    case EBUSY:
        return "Fichier ou dossier en cours d'utilisation";
    default:
        return std::string("Erreur (") + std::strerror(error) + ")";
    }
}

} // namespace

Q_DECLARE_METATYPE(Refusing)
Q_DECLARE_METATYPE(Command)
Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(Unreadable)

class TestSafetyFileSystems : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void refusedWrites_data();
    void refusedWrites();
    void failingSystem_data();
    void failingSystem();
    void unreadableDetails_data();
    void unreadableDetails();
    void listingWithoutDescriptors();

private:
    // The drive the rows act on, holding dossier/fichier and the empty folder dossier/vide.
    // Returns the reason when it cannot be made here.
    QString prepare(Refusing refusing);

    std::unique_ptr<QTemporaryDir> m_tree;
    std::string m_root;
    std::string m_drive;
    TestMounts m_mounts;
    std::unique_ptr<FailingFileSystem> m_failing;
};

void TestSafetyFileSystems::init() {
    m_tree = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tree->isValid());
    m_root = fsPath(*m_tree);
    m_drive.clear();
}

void TestSafetyFileSystems::cleanup() {
    m_failing.reset();
    m_mounts.unmountAll();
    ::chmod(fsJoin(m_root, "perm/dossier").c_str(), 0755);
    removeTree(m_root);
    m_tree.reset();
}

QString TestSafetyFileSystems::prepare(Refusing refusing) {
    auto populate = [](const std::string &drive) {
        return fsMakeDir(fsJoin(drive, "dossier")) &&
               fsWriteFile(fsJoin(drive, "dossier/fichier"), "contenu") &&
               fsMakeDir(fsJoin(drive, "dossier/vide"));
    };
    switch (refusing) {
    case Refusing::ReadOnly: {
        const std::string source = fsJoin(m_root, "source");
        m_drive = fsJoin(m_root, "ro");
        if (!fsMakeDir(source) || !fsMakeDir(m_drive) || !populate(source))
            return fsLastError();
        QString refused = m_mounts.bind(source, m_drive);
        if (refused.isEmpty())
            refused = m_mounts.mount(nullptr, m_drive, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                                     nullptr);
        return refused;
    }
    case Refusing::NoPermission:
        m_drive = fsJoin(m_root, "perm");
        if (!fsMakeDir(m_drive) || !populate(m_drive))
            return fsLastError();
        if (::chmod(fsJoin(m_drive, "dossier").c_str(), 0555) != 0)
            return systemError("chmod");
        return {};
    case Refusing::Full: {
        m_drive = fsJoin(m_root, "full");
        if (!fsMakeDir(m_drive))
            return fsLastError();
        const QString refused =
            m_mounts.mount("tmpfs", m_drive, "tmpfs", 0, "size=64k,nr_inodes=32,mode=0755");
        if (!refused.isEmpty())
            return refused;
        if (!populate(m_drive))
            return fsLastError();
        // Every block taken, then every inode.
        const std::string filler = fsJoin(m_drive, "remplissage");
        const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return systemError("open");
        const std::string block(4096, 'z');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        const int writeError = errno;
        ::close(fd);
        if (writeError != ENOSPC)
            return QStringLiteral("filling the tmpfs stopped on %1").arg(writeError);
        for (int i = 0;; ++i) {
            const std::string extra = fsJoin(m_drive, "place" + std::to_string(i));
            const int more = ::open(extra.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            if (more < 0)
                return errno == ENOSPC ? QString() : systemError("open");
            ::close(more);
        }
    }
    }
    return QStringLiteral("unknown case");
}

void TestSafetyFileSystems::refusedWrites_data() {
    QTest::addColumn<Refusing>("refusing");
    QTest::addColumn<Command>("command");
    QTest::addColumn<QByteArray>("sentence"); // empty: the command succeeds
    const QByteArray readOnly("Le disque est en lecture seule");
    const QByteArray denied("Accès refusé");
    const QByteArray noSpace("Plus de place sur le disque");
    QTest::newRow("read-only: Kill") << Refusing::ReadOnly << Command::Kill << readOnly;
    QTest::newRow("read-only: Créer dossier")
        << Refusing::ReadOnly << Command::CreateFolder << readOnly;
    QTest::newRow("read-only: RmDir") << Refusing::ReadOnly << Command::RemoveFolder << readOnly;
    QTest::newRow("no write permission: Kill") << Refusing::NoPermission << Command::Kill << denied;
    QTest::newRow("no write permission: Créer dossier")
        << Refusing::NoPermission << Command::CreateFolder << denied;
    QTest::newRow("no write permission: RmDir")
        << Refusing::NoPermission << Command::RemoveFolder << denied;
    QTest::newRow("full: Créer dossier") << Refusing::Full << Command::CreateFolder << noSpace;
    // Removing needs no room, and frees some: on a full disk Kill and RmDir still work.
    QTest::newRow("full: Kill") << Refusing::Full << Command::Kill << QByteArray();
    QTest::newRow("full: RmDir") << Refusing::Full << Command::RemoveFolder << QByteArray();
}

void TestSafetyFileSystems::refusedWrites() {
    QFETCH(Refusing, refusing);
    QFETCH(Command, command);
    QFETCH(QByteArray, sentence);
    const QString reason = prepare(refusing);
    if (!reason.isEmpty())
        QUERVELLE_SKIP(qPrintable(reason));

    const std::string folder = fsJoin(m_drive, "dossier");
    std::string target;
    std::string relative;
    StackFixture stack;
    stack.useDrive(m_drive);
    switch (command) {
    case Command::Kill:
        relative = "dossier/fichier";
        QVERIFY(stack.showFolder(folder).empty());
        QVERIFY(stack.clickName("fichier"));
        break;
    case Command::CreateFolder:
        relative = "dossier/nouveau";
        QVERIFY(stack.showFolder(folder).empty());
        break;
    case Command::RemoveFolder:
        relative = "dossier/vide";
        QVERIFY(stack.showFolder(fsJoin(m_drive, relative)).empty());
        break;
    }
    target = fsJoin(m_drive, relative);
    QVERIFY(stack.takeErrors().empty());
    const FsSnapshot before = fsSnapshot(m_root);

    Strings errors;
    {
        std::unique_ptr<WithoutPermissionOverride> withoutOverride;
        if (refusing == Refusing::NoPermission) {
            withoutOverride = std::make_unique<WithoutPermissionOverride>();
            if (!withoutOverride->active())
                QUERVELLE_SKIP(
                    qPrintable(QStringLiteral("running as root, and the permission override "
                                              "cannot be dropped: ") +
                               withoutOverride->reason()));
        }
        switch (command) {
        case Command::Kill:
            errors = stack.kill();
            break;
        case Command::CreateFolder:
            errors = stack.createFolder("nouveau");
            break;
        case Command::RemoveFolder:
            errors = stack.removeFolder();
            break;
        }
    }

    const FsSnapshot after = fsSnapshot(m_root);
    if (sentence.isEmpty()) {
        QVERIFY2(errors.empty(), qPrintable(showLines(errors)));
        const std::string removed = fsJoin(m_drive, relative).substr(m_root.size() + 1);
        const QString diff = diffExceptRemoved(before, after, {removed});
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    } else {
        QVERIFY2(errors == Strings{sentence.toStdString() + " : " + target},
                 qPrintable(showLines(errors)));
        const QString diff = fsDiff(before, after);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }
    QVERIFY(stack.scriptKeptInStep());
}

void TestSafetyFileSystems::failingSystem_data() {
    QTest::addColumn<Action>("action");
    QTest::addColumn<Op>("op"); // the system call that fails, on the entry the action reaches
    QTest::addColumn<int>("error");
    QTest::addColumn<QByteArray>("sentence");
    const struct {
        const char *name;
        Action action;
        Op op;
        std::initializer_list<int> errors;
    } cases[] = {
        {"listing", Action::Listing, Op::ReadDir, {EIO, EACCES, EMFILE}},
        {"details", Action::Details, Op::Stat, {EIO, EACCES}},
        {"Kill", Action::Kill, Op::Unlink, {EIO, EBUSY, EACCES}},
        {"Créer dossier", Action::CreateFolder, Op::MkDir, {EIO, ENOSPC, EACCES}},
        {"RmDir", Action::RemoveFolder, Op::RmDir, {EIO, EBUSY, EACCES}},
        {"Exécuter", Action::Run, Op::Open, {EIO, EACCES, EMFILE}},
    };
    for (const auto &c : cases)
        for (const int error : c.errors)
            QTest::addRow("%s: %s", c.name, strerrorname_np(error))
                << c.action << c.op
                << error
                // A program that may not be run is said to be one that cannot be.
                << QByteArray::fromStdString(c.action == Action::Run && error == EACCES
                                                 ? "Ce fichier ne peut pas être exécuté"
                                                 : sentenceFor(error));
}

// The read or command meets the failure: exactly one box, saying it, and afterwards the lists
// and the detail boxes show only what is true; nothing on the disk has changed.
void TestSafetyFileSystems::failingSystem() {
    QFETCH(Action, action);
    QFETCH(Op, op);
    QFETCH(int, error);
    QFETCH(QByteArray, sentence);
    m_drive = fsJoin(m_root, "panne");
    QVERIFY(fsMakeDir(m_drive));
    m_failing = std::make_unique<FailingFileSystem>();
    m_failing->addFolder("dossier");
    m_failing->addFile("dossier/autre", 7);
    m_failing->addFile("dossier/fichier", 1234);
    m_failing->addFile("dossier/programme", 100, 0755);
    m_failing->addFolder("dossier/illisible");
    m_failing->addFile("dossier/illisible/cache.txt", 3);
    m_failing->addFolder("dossier/vide");
    const QString refused = m_failing->mount(m_drive);
    if (!refused.isEmpty())
        QSKIP(qPrintable(refused));

    const std::string folder = fsJoin(m_drive, "dossier");
    StackFixture stack;
    stack.useDrive(m_drive);
    QVERIFY(
        stack.showFolder(action == Action::RemoveFolder ? fsJoin(folder, "vide") : folder).empty());
    const Strings namesBefore = stack.listed();
    if (action != Action::RemoveFolder) {
        // Another file's details on show first, to see that they do not stay.
        QVERIFY(stack.clickName("autre"));
        QCOMPARE(stack.text(3).text(), QStringLiteral("7"));
    }
    QVERIFY(stack.takeErrors().empty());
    stack.takeLog();
    const FsSnapshot before = fsSnapshot(m_drive);

    std::string target;
    Strings errors;
    Strings boxes; // the boxes the action shows before its error
    switch (action) {
    case Action::Listing:
        target = fsJoin(folder, "illisible");
        m_failing->failOn(op, "illisible", error);
        QVERIFY(stack.openFolder("illisible"));
        errors = stack.takeErrors();
        break;
    case Action::Details:
        target = fsJoin(folder, "fichier");
        m_failing->failOn(op, "fichier", error);
        QVERIFY(stack.clickName("fichier"));
        errors = stack.takeErrors();
        break;
    case Action::Kill:
        target = fsJoin(folder, "fichier");
        QVERIFY(stack.clickName("fichier"));
        m_failing->failOn(op, "fichier", error);
        errors = stack.kill();
        boxes = {"MsgBox(Effacer le fichier ?,49,Confirmation)"};
        break;
    case Action::CreateFolder:
        target = fsJoin(folder, "nouveau");
        m_failing->failOn(op, "nouveau", error);
        errors = stack.createFolder("nouveau");
        boxes = {"InputBox(Entrez le nom du dossier que vous voulez créer.,Précision)"};
        break;
    case Action::RemoveFolder:
        target = fsJoin(folder, "vide");
        m_failing->failOn(op, "vide", error);
        errors = stack.removeFolder();
        boxes = {"MsgBox(supprimer le dossier ?,49,Confirmation)"};
        break;
    case Action::Run:
        target = fsJoin(folder, "programme");
        QVERIFY(stack.clickName("programme"));
        m_failing->failOn(op, "programme", error);
        errors = stack.run();
        break;
    }
    stack.takeErrors();

    QVERIFY2(errors == Strings{sentence.toStdString() + " : " + target},
             qPrintable(showLines(errors)));
    Strings log = stack.takeLog();
    QVERIFY2(log.size() == boxes.size() + 1, qPrintable(showLines(log)));
    log.pop_back();
    QCOMPARE(log, boxes);

    // What the window shows afterwards is true.
    const std::string shown = action == Action::Listing        ? target
                              : action == Action::RemoveFolder ? fsJoin(folder, "vide")
                                                               : folder;
    QCOMPARE(stack.dir1().path(), shown);
    QCOMPARE(stack.listed(), action == Action::Listing ? Strings{} : namesBefore);
    const Strings rows = rowTexts(stack.dir1());
    QVERIFY(std::find(rows.begin(), rows.end(), "nouveau") == rows.end());
    QCOMPARE(stack.text(2).text(), QString());
    QCOMPARE(stack.text(3).text(), QString());
    m_failing->heal(); // to read every entry as it now is
    const QString diff = fsDiff(before, fsSnapshot(m_drive));
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QVERIFY(stack.scriptKeptInStep());
}

void TestSafetyFileSystems::unreadableDetails_data() {
    QTest::addColumn<Unreadable>("unreadable");
    QTest::addColumn<QByteArray>("sentence");
    QTest::newRow("file removed after the list was read")
        << Unreadable::Removed << QByteArray("Fichier introuvable");
    QTest::newRow("folder without permission")
        << Unreadable::NoPermission << QByteArray("Accès refusé");
}

// Details of one file, then of another that cannot be read: one box, and the boxes are empty
// beside the second file's selection, never the first file's date and size. The first file's
// details come back when it is clicked again.
void TestSafetyFileSystems::unreadableDetails() {
    QFETCH(Unreadable, unreadable);
    QFETCH(QByteArray, sentence);
    const std::string folder = fsJoin(m_root, "dossier");
    QVERIFY(fsMakeDir(folder));
    QVERIFY(fsWriteFile(fsJoin(folder, "lisible"), "12345"));
    QVERIFY(fsWriteFile(fsJoin(folder, "second"), "abc"));

    StackFixture stack;
    stack.useDrive(m_root);
    QVERIFY(stack.showFolder(folder).empty());
    QVERIFY(stack.clickName("lisible"));
    QVERIFY(stack.takeErrors().empty());
    const QString firstDate = stack.text(2).text();
    QVERIFY(!firstDate.isEmpty());
    QCOMPARE(stack.text(3).text(), QStringLiteral("5"));

    Strings errors;
    {
        std::unique_ptr<WithoutPermissionOverride> withoutOverride;
        if (unreadable == Unreadable::Removed) {
            QCOMPARE(::unlink(fsJoin(folder, "second").c_str()), 0);
        } else {
            QCOMPARE(::chmod(folder.c_str(), 0600), 0); // names listed, entries out of reach
            withoutOverride = std::make_unique<WithoutPermissionOverride>();
            QVERIFY2(withoutOverride->active(), qPrintable(withoutOverride->reason()));
        }
        QVERIFY(stack.clickName("second"));
        errors = stack.takeErrors();
    }
    ::chmod(folder.c_str(), 0755);
    QCOMPARE(errors, Strings{sentence.toStdString() + " : " + fsJoin(folder, "second")});
    QCOMPARE(stack.file1().currentIndex().row(), stack.rowOf("second"));
    QCOMPARE(stack.text(2).text(), QString());
    QCOMPARE(stack.text(3).text(), QString());

    QVERIFY(stack.clickName("lisible"));
    QVERIFY(stack.takeErrors().empty());
    QCOMPARE(stack.text(2).text(), firstDate);
    QCOMPARE(stack.text(3).text(), QStringLiteral("5"));
    QVERIFY(stack.scriptKeptInStep());
}

// Opening a folder when the process has no file descriptor left: one box, then both lists show
// that folder, empty, and the detail boxes nothing.
void TestSafetyFileSystems::listingWithoutDescriptors() {
    const std::string folder = fsJoin(m_root, "dossier");
    const std::string sub = fsJoin(folder, "sous");
    QVERIFY(fsMakeDir(folder) && fsMakeDir(sub));
    QVERIFY(fsWriteFile(fsJoin(folder, "autre"), "1234567"));
    QVERIFY(fsWriteFile(fsJoin(sub, "fichier"), "abc"));
    StackFixture stack;
    stack.useDrive(m_root);
    QVERIFY(stack.showFolder(folder).empty());
    QVERIFY(stack.clickName("autre"));
    QCOMPARE(stack.text(3).text(), QStringLiteral("7"));

    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = ::dup(0);
    QVERIFY(lowestFree > 0);
    ::close(lowestFree);
    rlimit none = saved;
    none.rlim_cur = static_cast<rlim_t>(lowestFree); // the next descriptor is one too many
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &none), 0);
    const bool opened = stack.openFolder("sous");
    const Strings errors = stack.takeErrors();
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &saved), 0);

    QVERIFY(opened);
    QVERIFY2(errors == Strings{sentenceFor(EMFILE) + " : " + sub}, qPrintable(showLines(errors)));
    QCOMPARE(stack.dir1().path(), sub);
    QCOMPARE(stack.listed(), Strings{});
    QCOMPARE(stack.text(2).text(), QString());
    QCOMPARE(stack.text(3).text(), QString());
    QVERIFY(stack.scriptKeptInStep());
}

int main(int argc, char **argv) {
    // First, while this process has a single thread: the namespace is then the whole process's.
    enterPrivateMountNamespace();
    useFrenchRegionAndUtc();
    QApplication app(argc, argv);
    TestSafetyFileSystems test;
    return exitCode(QTest::qExec(&test, argc, argv));
}

#include "tst_safety_filesystems.moc"
