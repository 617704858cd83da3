// The French sentences of the uncaught-error box: one per condition, each naming the path.

#include "platform/files/errors.h"

#include <QTest>

#include <cerrno>
#include <cstring>

using quervelle::ErrorKind;

Q_DECLARE_METATYPE(ErrorKind)

class TestErrors : public QObject {
    Q_OBJECT
private slots:
    void fromErrno_data();
    void fromErrno();
    void otherKeepsSystemText();
    void pathBytesKept();
    void detailShown();
    void overflow();
};

void TestErrors::fromErrno_data() {
    QTest::addColumn<int>("err");
    QTest::addColumn<ErrorKind>("kind");
    QTest::addColumn<QString>("message");

    const QString p = QStringLiteral(" : /home/anne/notes.txt");
    QTest::newRow("not found") << ENOENT << ErrorKind::NotFound << "Fichier introuvable" + p;
    QTest::newRow("component not a folder")
        << ENOTDIR << ErrorKind::NotFound << "Fichier introuvable" + p;
    QTest::newRow("access denied") << EACCES << ErrorKind::AccessDenied << "Accès refusé" + p;
    QTest::newRow("operation not permitted")
        << EPERM << ErrorKind::AccessDenied << "Accès refusé" + p;
    QTest::newRow("already exists")
        << EEXIST << ErrorKind::AlreadyExists << "Le fichier ou le dossier existe déjà" + p;
    QTest::newRow("not empty") << ENOTEMPTY << ErrorKind::NotEmpty
                               << "Le dossier n'est pas vide" + p;
    QTest::newRow("read-only file system")
        << EROFS << ErrorKind::ReadOnlyFileSystem << "Le disque est en lecture seule" + p;
    QTest::newRow("no space") << ENOSPC << ErrorKind::NoSpace << "Plus de place sur le disque" + p;
    QTest::newRow("quota") << EDQUOT << ErrorKind::NoSpace << "Plus de place sur le disque" + p;
    QTest::newRow("name too long") << ENAMETOOLONG << ErrorKind::NameTooLong << "Nom trop long" + p;
    QTest::newRow("invalid name") << EINVAL << ErrorKind::InvalidName << "Nom incorrect" + p;
    QTest::newRow("busy") << EBUSY << ErrorKind::Busy
                          << "Fichier ou dossier en cours d'utilisation" + p;
    QTest::newRow("text file busy")
        << ETXTBSY << ErrorKind::Busy << "Fichier ou dossier en cours d'utilisation" + p;
    QTest::newRow("not executable")
        << ENOEXEC << ErrorKind::NotExecutable << "Ce fichier ne peut pas être exécuté" + p;
    QTest::newRow("is a folder") << EISDIR << ErrorKind::IsADirectory
                                 << "C'est un dossier, pas un fichier" + p;
}

void TestErrors::fromErrno() {
    QFETCH(int, err);
    QFETCH(ErrorKind, kind);
    QFETCH(QString, message);
    const quervelle::PlatformError error = quervelle::errorFromErrno(err, "/home/anne/notes.txt");
    QCOMPARE(error.kind(), kind);
    // The code kept as what it is: an errno value.
    QCOMPARE(error.osError().value(), err);
    QVERIFY(error.osError().category() == std::generic_category());
    QCOMPARE(error.path(), std::string("/home/anne/notes.txt"));
    QCOMPARE(QString::fromUtf8(error.what()), message);
}

void TestErrors::otherKeepsSystemText() {
    const quervelle::PlatformError error = quervelle::errorFromErrno(EIO, "/mnt/usb/a");
    QCOMPARE(error.kind(), ErrorKind::Other);
    const std::string expected = std::string("Erreur (") + std::strerror(EIO) + ") : /mnt/usb/a";
    QCOMPARE(std::string(error.what()), expected);
}

void TestErrors::pathBytesKept() {
    // A name that is not valid UTF-8 stays as its bytes; only the box decodes it.
    const std::string path = "/tmp/a\xFF";
    const quervelle::PlatformError error(ErrorKind::NotFound, path);
    QCOMPARE(std::string(error.what()), "Fichier introuvable : " + path);
}

void TestErrors::detailShown() {
    const quervelle::PlatformError error(ErrorKind::NotADirectory, "/tmp/lien",
                                         quervelle::errnoCode(ENOTDIR), "lien symbolique");
    QCOMPARE(QString::fromUtf8(error.what()),
             QStringLiteral("Ce n'est pas un dossier (lien symbolique) : /tmp/lien"));
}

void TestErrors::overflow() {
    QCOMPARE(QString::fromUtf8(quervelle::OverflowError().what()),
             QStringLiteral("Dépassement de capacité"));
}

QTEST_GUILESS_MAIN(TestErrors)
#include "tst_errors.moc"
