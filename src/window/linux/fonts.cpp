// Linux seldom has "MS Sans Serif": where it is missing, the name is mapped to a face with the
// same metrics.

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

} // namespace quervelle
