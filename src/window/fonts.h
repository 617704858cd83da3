#pragma once

// The window's design font, "MS Sans Serif". Where the system lacks it (Linux), the name is
// mapped to a metric-compatible sans-serif so that every caption keeps the width it was
// designed for: Liberation Sans, else Arimo. Neither being installed is reported, never
// silently replaced by whatever font comes first.

#include <QFont>
#include <QString>

namespace quervelle {

inline constexpr const char *DesignFontFamily = "MS Sans Serif";

// Maps the design font to an installed family, once; returns the family it resolves to.
QString installFontSubstitution();

// The design font at a size, regular or bold; installs the mapping first.
QFont designFont(int pointSize, bool bold);

} // namespace quervelle
