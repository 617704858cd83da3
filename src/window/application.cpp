#include "window/application.h"

#include "window/fonts.h"
#include "window/quervelle.h"

#include "platform/controls/startlisting.h"
#include "platform/files/pathtext.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTranslator>

#include <memory>
#include <utility>

namespace quervelle {

bool installQtTranslations(const QLocale &locale) {
    // Lives as long as the program; one per language asked for.
    auto *translator = new QTranslator(QCoreApplication::instance());
    // The Windows program carries Qt's translations inside itself (cmake/qt-translations.cmake).
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        !translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QStringLiteral(":/qt/translations"))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

int runApplication(int argc, char *argv[]) {
    // The start folder is read, and put in order, while Qt starts and the window is made.
    std::unique_ptr<StartListing> start = readStartFolder();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quervelle"));
    // Named after the desktop entry, so that the desktop pairs the window with its menu item.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quervelle.quervelle"));
    // The window shows the 32 x 32, 16-colour design alone (the first picture of the icon file,
    // whose larger sizes are there for Windows' file manager), read from its PNG copy: Qt reads
    // PNG itself, while an icon file needs an image plugin the Windows bundle does not carry.
    QApplication::setWindowIcon(QIcon(QPixmap(QStringLiteral(":/quervelle/quervelle.png"))));

    // "Annuler", "Réessayer" on a French system.
    installQtTranslations(QLocale::system());
    installFontSubstitution();

    Quervelle window(std::move(start));
    // The window has taken its start folder: from here on every path the program uses is full,
    // and the folder it was started in is left free to be removed, or its disk ejected. Where
    // the move is refused the program works on as it is; only that folder stays held.
    std::error_code error;
    pathtext::leaveStartFolder(error);
    window.show();
    return QApplication::exec();
}

} // namespace quervelle
