#include "window/fonts.h"

namespace quervelle {

QFont designFont(int pointSize, bool bold) {
    installFontSubstitution();
    QFont font(QString::fromLatin1(DesignFontFamily), pointSize);
    font.setBold(bold);
    return font;
}

} // namespace quervelle
