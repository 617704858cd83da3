#include "window/fonts.h"

namespace quervelle {

QFont designFont(int pointSize, bool bold) {
    // The family the design font resolves to where it is not used as named.
    const QString family = installFontSubstitution();
    QFont font(family.isEmpty() ? QString::fromLatin1(DesignFontFamily) : family, pointSize);
    font.setBold(bold);
    return font;
}

} // namespace quervelle
