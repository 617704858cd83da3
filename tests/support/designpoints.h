#pragma once

// Where a user clicks a control of the window, in the window's own pixels at 96 dots per inch,
// from its design place (window/design.h): the tests that drive the program from outside, on
// Linux and under wine, find the controls there.

#include "window/design.h"

#include <QPoint>

namespace quervelle::test {

inline QPoint centre(const design::Place &p) {
    return QPoint(p.left + p.width / 2, p.top + p.height / 2) / design::TwipsPerPixel;
}

// A list's first row, a little in from its left edge.
inline QPoint firstRow(const design::Place &p) {
    return QPoint(p.left / design::TwipsPerPixel + 40, p.top / design::TwipsPerPixel + 8);
}

} // namespace quervelle::test
