#pragma once

// The one place where the program reaches into Qt's private API: Qt's Windows platform plugin
// and its GDI font database, as built into the Qt the program is compiled with. Everything else
// uses Qt's public API. tests/window/tst_fonts.cpp checks, under Windows, that this still works
// as written, and fails loudly when a Qt upgrade changes it.

#include <QFont>
#include <QFontDatabase>
#include <QString>

#include <vector>

namespace quervelle {

// One picture of a raster font, as Windows lists it, in one weight and style.
struct RasterFace {
    int em = 0; // pixels: the cell height less the internal leading
    QFont::Weight weight = QFont::Normal;
    QFont::Style style = QFont::StyleNormal;
    bool fixedPitch = false;
    QFontDatabase::WritingSystem writingSystem = QFontDatabase::Any; // Any: none known
};

// Registers each face of family with Qt's GDI font database, by its em, as Qt would register it
// by its cell height; Qt then reads that family no further. Returns false, registering nothing,
// where Qt reads fonts otherwise (another font database or platform plugin), which sizes
// raster fonts on its own terms.
bool registerRasterFacesByEm(const QString &family, const std::vector<RasterFace> &faces);

} // namespace quervelle
