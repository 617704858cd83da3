#include "window/application.h"

#include "window/fonts.h"
#include "window/quervelle.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace quervelle {

int runApplication(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quervelle"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quervelle"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quervelle/quervelle.ico")));

    // "Annuler", "Réessayer" on a French system; English, Qt's own texts, where no
    // translation is installed for the system's language.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    installFontSubstitution();

    Quervelle window;
    window.show();
    return QApplication::exec();
}

} // namespace quervelle
