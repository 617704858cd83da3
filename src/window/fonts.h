#pragma once

// The window's design font, "MS Sans Serif". Windows has it and draws it itself. Linux lacks
// it, so there the name is mapped to a metric-compatible sans-serif so that every caption keeps
// the width it was designed for: Liberation Sans, else Arimo. Neither being installed is
// reported, never silently replaced by whatever font comes first. The system's part is in
// linux/ or windows/, chosen by CMake.

#include <QFont>
#include <QString>

namespace quervelle {

inline constexpr const char *DesignFontFamily = "MS Sans Serif";

// Maps the design font to an installed family, once, where the system needs it; returns the
// family it resolves to (on Windows the design font itself, never mapped, its pictures made
// known to Qt at their true sizes; above 96 dots per inch, where its pictures cannot be drawn
// at the design's size, a scalable face with the same widths).
QString installFontSubstitution();

// The design font at a size, regular or bold; installs the mapping first.
QFont designFont(int pointSize, bool bold);

} // namespace quervelle
