#include "window/application.h"

#include "window/fonts.h"
#include "window/quervelle.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace quervelle {

bool installQtTranslations(const QLocale &locale) {
    // Lives as long as the program; one per language asked for.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

int runApplication(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quervelle"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quervelle"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quervelle/quervelle.ico")));

    // "Annuler", "Réessayer" on a French system.
    installQtTranslations(QLocale::system());
    installFontSubstitution();

    Quervelle window;
    window.show();
    return QApplication::exec();
}

} // namespace quervelle
