// The drive list: which mounts of a mountinfo text are drives, in which order, with which
// labels; and the drive list box that shows them.

#include "platform/controls/drivelistbox.h"
#include "platform/files/linux/mountinfo.h"

#include "support/fsfixture.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using quervelle::Drive;

namespace {

QStringList mountPaths(const std::vector<Drive> &drives) {
    QStringList paths;
    for (const Drive &d : drives)
        paths << QString::fromUtf8(d.root.data(), static_cast<qsizetype>(d.root.size()));
    return paths;
}

const char *const desktop =
    "22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro\n"
    "23 22 0:21 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw\n"
    "24 22 0:22 / /sys rw,nosuid,nodev,noexec,relatime shared:2 - sysfs sysfs rw\n"
    "25 22 0:5 / /dev rw,nosuid,relatime shared:8 - devtmpfs udev rw,size=8000000k\n"
    "26 25 0:23 / /dev/shm rw,nosuid,nodev shared:9 - tmpfs tmpfs rw\n"
    "27 22 0:24 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,mode=755\n"
    "28 24 0:25 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:4 - cgroup2 cgroup2 rw\n"
    "29 22 259:1 / /boot/efi rw,relatime shared:30 - vfat /dev/nvme0n1p1 rw,fmask=0077\n"
    "30 22 259:3 / /home rw,relatime shared:31 - ext4 /dev/nvme0n1p3 rw\n"
    "31 22 7:1 / /snap/core22/1033 ro,nodev,relatime shared:32 - squashfs /dev/loop1 ro\n"
    "32 27 0:40 / /run/user/1000 rw,nosuid,nodev,relatime shared:400 - tmpfs tmpfs rw,mode=700\n"
    "33 32 0:41 / /run/user/1000/gvfs rw,nosuid,nodev,relatime shared:410 - fuse.gvfsd-fuse "
    "gvfsd-fuse rw,user_id=1000\n"
    "34 27 8:17 / /run/media/anne/CLE\\040USB rw,nosuid,nodev,relatime shared:420 - vfat "
    "/dev/sdb1 rw\n"
    "35 22 0:45 / /tmp rw,nosuid,nodev shared:35 - tmpfs tmpfs rw\n"
    "36 22 0:46 / /mnt/nas rw,relatime shared:36 - nfs4 nas:/export rw,vers=4.2\n";

} // namespace

class TestDrives : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void entryFields_data();
    void entryFields();
    void labelNames_data();
    void labelNames();
    void resolveOnDisk();
    void listBoxTexts();
    void selectDriveFor_data();
    void selectDriveFor();
    void onlyUserChoiceRaisesChange();
};

void TestDrives::parse_data() {
    QTest::addColumn<QByteArray>("mountinfo");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("typical desktop")
        << QByteArray(desktop)
        << QStringList{"/", "/boot/efi", "/home", "/mnt/nas", "/run/media/anne/CLE USB"};
    QTest::newRow("bind mount counts with its source's type")
        << QByteArray("22 1 8:2 / / rw - ext4 /dev/sda2 rw\n"
                      "40 22 8:3 /anne/projets /srv/projets rw - ext4 /dev/sda3 rw\n"
                      "41 22 0:45 /cache /srv/cache rw - tmpfs tmpfs rw\n")
        << QStringList{"/", "/srv/projets"};
    QTest::newRow("container with an overlay root")
        << QByteArray("600 500 0:50 / / rw,relatime master:1 - overlay overlay "
                      "rw,lowerdir=/l,upperdir=/u,workdir=/w\n"
                      "601 600 0:52 / /proc rw,nosuid - proc proc rw\n"
                      "602 600 0:53 / /dev rw,nosuid - tmpfs tmpfs rw,size=65536k\n"
                      "603 600 254:1 /home/anne/data /data rw,relatime - ext4 /dev/vda1 rw\n"
                      "604 600 254:1 /v/_data /var/lib/docker/volumes/x rw - ext4 /dev/vda1 rw\n"
                      "605 600 0:60 / /var/lib/containers/storage/overlay/a/merged rw - overlay "
                      "overlay rw\n"
                      "606 600 0:61 / /opt/layer rw - overlay overlay rw\n")
        << QStringList{"/", "/data"};
    QTest::newRow("memory file systems left out")
        << QByteArray("1 0 8:1 / / rw - btrfs /dev/sda1 rw\n"
                      "2 1 0:30 / /tmp rw - tmpfs tmpfs rw\n"
                      "3 1 0:31 / /mnt/ram rw - ramfs ramfs rw\n"
                      "4 1 0:32 / /mnt/cg rw - cgroup cgroup rw,cpu\n"
                      "5 1 0:33 / /mnt/proc rw - proc proc rw\n")
        << QStringList{"/"};
    QTest::newRow("snap squashfs left out")
        << QByteArray("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                      "2 1 7:0 / /snap/firefox/3600 ro - squashfs /dev/loop0 ro\n"
                      "3 1 7:1 / /opt/image ro - squashfs /dev/loop1 ro\n"
                      "4 1 8:5 / /snap/data rw - ext4 /dev/sda5 rw\n")
        << QStringList{"/"};
    QTest::newRow("removable media under /run/media kept, rest of /run left out")
        << QByteArray("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                      "2 1 0:24 / /run rw - tmpfs tmpfs rw\n"
                      "3 2 8:17 / /run/media/anne/USB rw - exfat /dev/sdb1 rw\n"
                      "4 2 8:33 / /run/mount/disk rw - ext4 /dev/sdc1 rw\n"
                      "5 2 11:0 / /run/media/anne/CD ro - iso9660 /dev/sr0 ro\n")
        << QStringList{"/", "/run/media/anne/CD", "/run/media/anne/USB"};
    QTest::newRow("escapes in mount paths")
        << QByteArray("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                      "2 1 8:2 / /mnt/Mes\\040Disques rw - ext4 /dev/sda2 rw\n"
                      "3 1 8:3 / /mnt/tab\\011here rw - ext4 /dev/sda3 rw\n"
                      "4 1 8:4 / /mnt/new\\012line rw - ext4 /dev/sda4 rw\n"
                      "5 1 8:5 / /mnt/back\\134slash rw - ext4 /dev/sda5 rw\n")
        << QStringList{"/", "/mnt/Mes Disques", "/mnt/back\\slash", "/mnt/new\nline",
                       "/mnt/tab\there"};
    QTest::newRow("over-mounted path listed once")
        << QByteArray("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                      "2 1 8:2 / /mnt/data rw - ext4 /dev/sda2 rw\n"
                      "3 2 8:3 / /mnt/data rw - xfs /dev/sda3 rw\n")
        << QStringList{"/", "/mnt/data"};
    QTest::newRow("the mount on top decides")
        << QByteArray("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                      "2 1 8:2 / /mnt/cache rw - ext4 /dev/sda2 rw\n"
                      "3 2 0:40 / /mnt/cache rw - tmpfs tmpfs rw\n"
                      "4 1 0:41 / /mnt/work rw - tmpfs tmpfs rw\n"
                      "5 4 8:4 / /mnt/work rw - ext4 /dev/sda4 rw\n")
        << QStringList{"/", "/mnt/work"};
    QTest::newRow("root over-mounted listed once")
        << QByteArray("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                      "2 1 0:50 / / rw - overlay overlay rw\n")
        << QStringList{"/"};
    QTest::newRow("no root line: / still first")
        << QByteArray("7 3 8:2 / /srv rw - ext4 /dev/sda2 rw\n") << QStringList{"/", "/srv"};
    QTest::newRow("empty text") << QByteArray() << QStringList{"/"};
    QTest::newRow("byte order")
        << QByteArray("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                      "2 1 8:2 / /mnt/\\303\\251t\\303\\251 rw - ext4 /dev/sda2 rw\n"
                      "3 1 8:3 / /mnt/alpha rw - ext4 /dev/sda3 rw\n"
                      "4 1 8:4 / /mnt/Zeta rw - ext4 /dev/sda4 rw\n"
                      "5 1 8:5 / /media/b rw - ext4 /dev/sda5 rw\n"
                      "6 1 8:6 / /mnt/alpha-2 rw - ext4 /dev/sda6 rw\n"
                      "7 1 8:7 / /mnt/alpha/2 rw - ext4 /dev/sda7 rw\n")
        << QStringList{"/",
                       "/media/b",
                       "/mnt/Zeta",
                       "/mnt/alpha",
                       "/mnt/alpha-2",
                       "/mnt/alpha/2",
                       QString::fromUtf8("/mnt/été")};
    QTest::newRow("names that only begin like system trees")
        << QByteArray("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                      "2 1 8:2 / /procedures rw - ext4 /dev/sda2 rw\n"
                      "3 1 8:3 / /system rw - ext4 /dev/sda3 rw\n"
                      "4 1 8:4 / /devices rw - ext4 /dev/sda4 rw\n"
                      "5 1 8:5 / /runner rw - ext4 /dev/sda5 rw\n"
                      "6 1 8:6 / /snapshots rw - ext4 /dev/sda6 rw\n"
                      "7 1 8:7 / /run/mediaserver rw - ext4 /dev/sda7 rw\n")
        << QStringList{"/", "/devices", "/procedures", "/runner", "/snapshots", "/system"};
    QTest::newRow("disk types kept, fuse file systems left out")
        << QByteArray("1 0 8:1 / / rw - xfs /dev/sda1 rw\n"
                      "2 1 8:2 / /mnt/win rw - fuseblk /dev/sda2 rw\n"
                      "3 1 0:40 / /mnt/ssh rw - fuse.sshfs anne@host: rw\n"
                      "4 1 8:3 / /mnt/ntfs rw - ntfs3 /dev/sda3 rw\n"
                      "5 1 0:41 / /mnt/share rw - cifs //srv/share rw\n"
                      "6 1 8:4 / /mnt/mac rw - hfsplus /dev/sda4 rw\n"
                      "7 1 11:0 / /mnt/dvd ro - udf /dev/sr0 ro\n")
        << QStringList{"/", "/mnt/dvd", "/mnt/mac", "/mnt/ntfs", "/mnt/share", "/mnt/win"};
    QTest::newRow("malformed lines skipped")
        << QByteArray("garbage\n"
                      "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                      "2 1 8:2 / /mnt/nodash rw ext4 /dev/sda2 rw x y\n"
                      "x 1 8:3 / /mnt/badid rw - ext4 /dev/sda3 rw\n"
                      "4 1 8:4 / /mnt/short rw -\n"
                      "5 1 8:5 / /mnt/good rw shared:7 master:2 - ext4 /dev/sda5 rw\n"
                      "\n")
        << QStringList{"/", "/mnt/good"};
}

void TestDrives::parse() {
    QFETCH(QByteArray, mountinfo);
    QFETCH(QStringList, expected);
    QCOMPARE(mountPaths(quervelle::parseMountInfo(mountinfo.toStdString())), expected);
}

void TestDrives::entryFields_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("root");
    QTest::addColumn<QByteArray>("mountPath");
    QTest::addColumn<QByteArray>("fsType");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<uint>("major");
    QTest::addColumn<uint>("minor");

    QTest::newRow("plain") << QByteArray("30 22 259:3 / /home rw - ext4 /dev/nvme0n1p3 rw")
                           << QByteArray("/") << QByteArray("/home") << QByteArray("ext4")
                           << QByteArray("/dev/nvme0n1p3") << 259u << 3u;
    QTest::newRow("bind with escaped root and source")
        << QByteArray("40 22 8:3 /Mes\\040Documents /srv/docs rw shared:3 - ext4 "
                      "/dev/disk/by-label/Data\\040Disk rw")
        << QByteArray("/Mes Documents") << QByteArray("/srv/docs") << QByteArray("ext4")
        << QByteArray("/dev/disk/by-label/Data Disk") << 8u << 3u;
    QTest::newRow("escape cut short kept as is")
        << QByteArray("1 0 8:1 / /mnt/a\\04 rw - ext4 /dev/sda1 rw") << QByteArray("/")
        << QByteArray("/mnt/a\\04") << QByteArray("ext4") << QByteArray("/dev/sda1") << 8u << 1u;
    QTest::newRow("escape beyond one byte kept as is")
        << QByteArray("1 0 8:1 / /mnt/a\\777 rw - ext4 /dev/sda1 rw") << QByteArray("/")
        << QByteArray("/mnt/a\\777") << QByteArray("ext4") << QByteArray("/dev/sda1") << 8u << 1u;
}

void TestDrives::entryFields() {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, root);
    QFETCH(QByteArray, mountPath);
    QFETCH(QByteArray, fsType);
    QFETCH(QByteArray, source);
    QFETCH(uint, major);
    QFETCH(uint, minor);
    const std::vector<quervelle::MountEntry> entries =
        quervelle::parseMountEntries(line.toStdString());
    QCOMPARE(entries.size(), std::size_t(1));
    QCOMPARE(QByteArray::fromStdString(entries[0].root), root);
    QCOMPARE(QByteArray::fromStdString(entries[0].mountPath), mountPath);
    QCOMPARE(QByteArray::fromStdString(entries[0].fsType), fsType);
    QCOMPARE(QByteArray::fromStdString(entries[0].source), source);
    QCOMPARE(entries[0].major, major);
    QCOMPARE(entries[0].minor, minor);
}

void TestDrives::labelNames_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("label");
    QTest::newRow("plain") << QByteArray("SYSTEM") << QByteArray("SYSTEM");
    QTest::newRow("space") << QByteArray("Mes\\x20photos") << QByteArray("Mes photos");
    QTest::newRow("slash") << QByteArray("A\\x2fB") << QByteArray("A/B");
    QTest::newRow("upper-case hex") << QByteArray("A\\x2FB") << QByteArray("A/B");
    QTest::newRow("UTF-8 kept") << QByteArray("Cl\xc3\xa9") << QByteArray("Cl\xc3\xa9");
    QTest::newRow("not an escape") << QByteArray("a\\xZZ") << QByteArray("a\\xZZ");
    QTest::newRow("cut short") << QByteArray("a\\x2") << QByteArray("a\\x2");
}

void TestDrives::labelNames() {
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, label);
    QCOMPARE(QByteArray::fromStdString(quervelle::unescapeLabelName(name.toStdString())), label);
}

// Labels matched through the links of a by-label folder, and a file bound over a file left out.
void TestDrives::resolveOnDisk() {
    using namespace quervelle::test;
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const std::string t = fsPath(tmp);
    QVERIFY2(fsMakeDir(t + "/dev") && fsMakeDir(t + "/by-label") && fsMakeDir(t + "/by-uuid") &&
                 fsMakeDir(t + "/mnt") && fsMakeDir(t + "/mnt/photos") &&
                 fsMakeDir(t + "/mnt/sys") && fsMakeDir(t + "/mnt/plain"),
             qPrintable(fsLastError()));
    QVERIFY(fsWriteFile(t + "/dev/sdb1", "") && fsWriteFile(t + "/dev/sdc1", "") &&
            fsWriteFile(t + "/dev/sdd1", "") && fsWriteFile(t + "/hosts", ""));
    QVERIFY(fsMakeLink("../dev/sdb1", t + "/by-label/Mes\\x20photos"));
    QVERIFY(fsMakeLink("../dev/sdc1", t + "/by-label/SYSTEM"));
    QVERIFY(fsMakeLink("../dev/sdc1", t + "/by-uuid/1234-ABCD"));
    const std::string mountinfo = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                  "2 1 8:17 / " +
                                  t + "/mnt/photos rw - vfat " + t +
                                  "/dev/sdb1 rw\n"
                                  "3 1 8:33 / " +
                                  t + "/mnt/sys rw - ntfs3 " + t +
                                  "/by-uuid/1234-ABCD rw\n"
                                  "4 1 8:49 / " +
                                  t + "/mnt/plain rw - ext4 " + t +
                                  "/dev/sdd1 rw\n"
                                  "5 1 8:1 /etc/hosts " +
                                  t + "/hosts rw - ext4 /dev/sda1 rw\n";

    const std::vector<Drive> drives = quervelle::resolveDrives(mountinfo, t + "/by-label");
    const std::vector<Drive> expected = {
        {"/", ""},
        {t + "/mnt/photos", "Mes photos"},
        {t + "/mnt/plain", ""},
        {t + "/mnt/sys", "SYSTEM"},
    };
    QCOMPARE(mountPaths(drives), mountPaths(expected));
    for (std::size_t i = 0; i < expected.size(); ++i)
        QCOMPARE(QString::fromStdString(drives[i].label),
                 QString::fromStdString(expected[i].label));
}

void TestDrives::listBoxTexts() {
    quervelle::DriveListBox box;
    box.setDrives({{"/", ""}, {"/run/media/anne/CLE USB", "CLE USB"}, {"/mnt/a\xFF", ""}});
    QCOMPARE(box.count(), 3);
    QCOMPARE(box.itemText(0), QStringLiteral("/"));
    QCOMPARE(box.itemText(1), QStringLiteral("/run/media/anne/CLE USB [CLE USB]"));
    QCOMPARE(box.itemText(2), QStringLiteral("/mnt/a\uFFFD"));
    box.setCurrentIndex(2);
    // The drive is the mount path's exact bytes, never the text shown.
    QCOMPARE(box.drive(), std::string("/mnt/a\xFF"));
    QCOMPARE(box.listIndex(), 2);
    QCOMPARE(box.listCount(), 3);
}

void TestDrives::selectDriveFor_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("drive");
    QTest::newRow("root itself") << QByteArray("/") << QByteArray("/");
    QTest::newRow("folder of the root drive") << QByteArray("/usr/share") << QByteArray("/");
    QTest::newRow("a drive's own path") << QByteArray("/home") << QByteArray("/home");
    QTest::newRow("below a drive") << QByteArray("/home/anne/docs") << QByteArray("/home");
    QTest::newRow("longest prefix wins")
        << QByteArray("/home/anne/nas/films") << QByteArray("/home/anne/nas");
    QTest::newRow("name that only begins like a drive")
        << QByteArray("/homes/x") << QByteArray("/");
    QTest::newRow("spaces in the mount path")
        << QByteArray("/run/media/anne/CLE USB/photos") << QByteArray("/run/media/anne/CLE USB");
}

void TestDrives::selectDriveFor() {
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, drive);
    quervelle::DriveListBox box;
    box.setDrives(
        {{"/", ""}, {"/home", ""}, {"/home/anne/nas", "NAS"}, {"/run/media/anne/CLE USB", ""}});
    QSignalSpy changes(&box, &quervelle::DriveListBox::change);
    box.selectDriveFor(path.toStdString());
    QCOMPARE(QByteArray::fromStdString(box.drive()), drive);
    QCOMPARE(changes.count(), 0);
}

void TestDrives::onlyUserChoiceRaisesChange() {
    quervelle::DriveListBox box;
    box.setDrives({{"/", ""}, {"/home", ""}, {"/mnt/usb", ""}});
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QSignalSpy changes(&box, &quervelle::DriveListBox::change);

    box.setCurrentIndex(1); // the program selects: nothing raised
    box.selectDriveFor("/mnt/usb/x");
    QCOMPARE(changes.count(), 0);
    QCOMPARE(box.drive(), std::string("/mnt/usb"));

    QTest::keyClick(&box, Qt::Key_Up); // the user moves to /home
    QCOMPARE(changes.count(), 1);
    QCOMPARE(box.drive(), std::string("/home"));

    emit box.activated(box.currentIndex()); // the user picks the drive already selected
    QCOMPARE(changes.count(), 1);
}

QTEST_MAIN(TestDrives)
#include "tst_drives.moc"
