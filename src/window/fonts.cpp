#include "window/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace quervelle {

QString installFontSubstitution() {
    static const QString resolved = [] {
        const QString design = QString::fromLatin1(DesignFontFamily);
        const QStringList families = QFontDatabase::families();
        if (families.contains(design, Qt::CaseInsensitive))
            return design;
        for (const char *candidate : {"Liberation Sans", "Arimo"}) {
            const QString family = QString::fromLatin1(candidate);
            if (families.contains(family, Qt::CaseInsensitive)) {
                QFont::insertSubstitution(design, family);
                return family;
            }
        }
        qWarning("Quervelle de fichiers : aucune police compatible avec « %s » n'est installée "
                 "(Liberation Sans, du paquet fonts-liberation2, ou Arimo) ; les libellés "
                 "risquent d'être tronqués.",
                 DesignFontFamily);
        return QString();
    }();
    return resolved;
}

QFont designFont(int pointSize, bool bold) {
    installFontSubstitution();
    QFont font(QString::fromLatin1(DesignFontFamily), pointSize);
    font.setBold(bold);
    return font;
}

} // namespace quervelle
