// Kill, Créer dossier and RmDir on file systems that refuse writes, through the whole program:
// a read-only bind mount, a folder without write permission, and a full file system (a tiny
// tmpfs). Each refusal must reach the window's error boundary as its French sentence, with
// the tree left exactly as it was.
//
// The mounts are made in a private mount namespace of this test process, which main() enters
// before any thread exists, so nothing is ever mounted outside the test. Without the privilege
// for that, the rows that need a mount are skipped with the reason. As root, the permission
// rows drop the capability that overrides file permissions for the command, and restore it.

#include "platform/controls/filelistbox.h"
#include "support/dialogscript.h"
#include "support/fsfixture.h"
#include "support/listfixtures.h"
#include "support/mountnamespace.h"
#include "support/permissions.h"
#include "support/skipping.h"
#include "support/stackfixture.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quervelle::test;

namespace {

using Strings = std::vector<std::string>;

enum class Refusing { ReadOnly, NoPermission, Full };
enum class Command { Kill, CreateFolder, RemoveFolder };

} // namespace

Q_DECLARE_METATYPE(Refusing)
Q_DECLARE_METATYPE(Command)

class TestSafetyFileSystems : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void refusedWrites_data();
    void refusedWrites();

private:
    // The drive the rows act on, holding dossier/fichier and the empty folder dossier/vide.
    // Returns the reason when it cannot be made here.
    QString prepare(Refusing refusing);

    std::unique_ptr<QTemporaryDir> m_tree;
    std::string m_root;
    std::string m_drive;
    TestMounts m_mounts;
};

void TestSafetyFileSystems::init() {
    m_tree = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tree->isValid());
    m_root = fsPath(*m_tree);
    m_drive.clear();
}

void TestSafetyFileSystems::cleanup() {
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

int main(int argc, char **argv) {
    // First, while this process has a single thread: the namespace is then the whole process's.
    enterPrivateMountNamespace();
    useFrenchRegionAndUtc();
    QApplication app(argc, argv);
    TestSafetyFileSystems test;
    return exitCode(QTest::qExec(&test, argc, argv));
}

#include "tst_safety_filesystems.moc"
