// Windows has "MS Sans Serif" and draws it itself: the design font is used as it is named.

#include "window/fonts.h"

namespace quervelle {

QString installFontSubstitution() {
    return QString::fromLatin1(DesignFontFamily);
}

} // namespace quervelle
