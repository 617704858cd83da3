// The dialogs speak the user's language: with Qt's own translations loaded for the system's
// locale, a message box's standard buttons read "Annuler", "Réessayer" on a French system. The
// Windows program carries the translations itself; its test runs on a French system. On
// Windows, the DPI awareness Qt sets itself is the one the program's manifest declares.

#include "window/application.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLocale>
#include <QMessageBox>
#include <QTest>
#include <QTranslator>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void buttonTexts_data();
    void buttonTexts();
    void dpiAwarenessAsTheManifestDeclares();
};

void TestApplication::cleanup() {
    qDeleteAll(qApp->findChildren<QTranslator *>()); // each one uninstalls itself
}

void TestApplication::buttonTexts_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("cancel");
    QTest::addColumn<QString>("retry");
    QTest::newRow("French") << "fr_FR" << true << "Annuler"
                            << "Réessayer";
    QTest::newRow("French of Canada") << "fr_CA" << true << "Annuler"
                                      << "Réessayer";
    QTest::newRow("German") << "de_DE" << true << "Abbrechen"
                            << "Wiederholen";
    QTest::newRow("no translation: Qt's own English") << "C" << false << "Cancel"
                                                      << "Retry";
    QTest::newRow("the system's language, French") << "system" << true << "Annuler"
                                                   << "Réessayer";
}

void TestApplication::buttonTexts() {
    QFETCH(QString, locale);
    QFETCH(bool, installed);
    QFETCH(QString, cancel);
    QFETCH(QString, retry);
    const bool system = locale == u"system";
    const QLocale asked = system ? QLocale::system() : QLocale(locale);
    if (system && asked.language() != QLocale::French)
        QSKIP("the system's language is not French (LANG=fr_FR.UTF-8 makes it so)");
    QCOMPARE(quervelle::installQtTranslations(asked), installed);
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Cancel)->text().remove(u'&'), cancel);
    QCOMPARE(box.button(QMessageBox::Retry)->text().remove(u'&'), retry);
}

// This test has no manifest: what is in force is what Qt asked for itself. The program's manifest
// declares per-monitor awareness, version 2 (assets/quervelle.manifest), so that Windows applies
// it from the start and Qt, finding it in force, has nothing to change.
void TestApplication::dpiAwarenessAsTheManifestDeclares() {
#ifdef Q_OS_WIN
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("windows"));
    const DPI_AWARENESS_CONTEXT context = ::GetThreadDpiAwarenessContext();
    // Per monitor. Under wine the context in force is not equal to version 2's: which version is
    // in force, only real Windows shows.
    QCOMPARE(int(::GetAwarenessFromDpiAwarenessContext(context)),
             int(DPI_AWARENESS_PER_MONITOR_AWARE));
#else
    QSKIP("Windows' DPI awareness");
#endif
}

QTEST_MAIN(TestApplication)
#include "tst_application.moc"
