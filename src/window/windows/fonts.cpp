// Windows has "MS Sans Serif" and draws it itself: the design font is used as it is named. It is
// a raster font, one picture per size, and Qt's Windows font database records each picture by
// its cell height while it asks Windows for a font by its em: asked for 8 points (11 pixels of
// em at 96 dpi), Qt would pick the 13-pixel cell and Windows would give the picture whose em is
// 13, the 10-point one, too wide for the captions. So the pictures are registered with Qt by
// their em before Qt reads them itself; the font stays Windows' own, drawn by Windows. Above 96
// dots per inch a scalable face with the same widths stands in for it (scalableTwin()).

#include "window/fonts.h"

#include "window/windows/qtfontregistry.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

#include <windows.h>

#include <vector>

namespace quervelle {

namespace {

struct Picture {
    TEXTMETRICW metric;
    BYTE charSet;
};

int CALLBACK addPicture(const LOGFONTW *font, const TEXTMETRICW *metric, DWORD type,
                        LPARAM pictures) {
    auto *list = reinterpret_cast<std::vector<Picture> *>(pictures);
    if (!(type & RASTER_FONTTYPE)) {
        list->clear(); // a scalable font: Qt sizes it right by itself
        return 0;
    }
    list->push_back({*metric, font->lfCharSet});
    return 1;
}

// The screen's device context, given back on every way out (the listing calls back into code
// that may throw).
class ScreenContext {
public:
    ScreenContext() : m_dc(::GetDC(nullptr)) {}
    ~ScreenContext() {
        if (m_dc)
            ::ReleaseDC(nullptr, m_dc);
    }
    ScreenContext(const ScreenContext &) = delete;
    ScreenContext &operator=(const ScreenContext &) = delete;
    HDC get() const { return m_dc; }

private:
    HDC m_dc;
};

// The pictures of family when it is a raster font; none for a scalable or missing one.
std::vector<Picture> rasterPictures(const QString &family) {
    std::vector<Picture> pictures;
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    family.left(LF_FACESIZE - 1).toWCharArray(wanted.lfFaceName);
    const ScreenContext screen;
    if (screen.get())
        EnumFontFamiliesExW(screen.get(), &wanted, addPicture, reinterpret_cast<LPARAM>(&pictures),
                            0);
    return pictures;
}

QFontDatabase::WritingSystem writingSystem(BYTE charSet) {
    switch (charSet) {
    case ANSI_CHARSET:
    case EASTEUROPE_CHARSET:
    case BALTIC_CHARSET:
    case TURKISH_CHARSET:
        return QFontDatabase::Latin;
    case GREEK_CHARSET:
        return QFontDatabase::Greek;
    case RUSSIAN_CHARSET:
        return QFontDatabase::Cyrillic;
    default:
        return QFontDatabase::Any;
    }
}

// Each picture with its em as its pixel size, in every weight and style Windows draws it in.
std::vector<RasterFace> facesByEm(const std::vector<Picture> &pictures) {
    std::vector<RasterFace> faces;
    for (const Picture &picture : pictures) {
        const TEXTMETRICW &m = picture.metric;
        const auto weight = QFont::Weight(m.tmWeight);
        // Windows makes the bold and italic faces of a raster font itself.
        const QFont::Weight bold = weight <= QFont::DemiBold ? QFont::Bold : weight;
        for (const QFont::Weight w : {weight, bold})
            for (const QFont::Style style : {QFont::StyleNormal, QFont::StyleItalic})
                faces.push_back({m.tmHeight - m.tmInternalLeading, w, style,
                                 !(m.tmPitchAndFamily & TMPF_FIXED_PITCH),
                                 writingSystem(picture.charSet)});
    }
    return faces;
}

void registerPicturesByEm(const QString &family) {
    registerRasterFacesByEm(family, facesByEm(rasterPictures(family)));
}

} // namespace

// Above 96 dots per inch (Qt then draws at a device pixel ratio above 1) no picture of the raster
// font has the size the design asks for, and the nearest one, drawn for another resolution, is
// wider: the captions would be cut. There the window takes a scalable face made with the same
// widths, which Windows has since Windows 2000, else one with Arial's (as the Linux build does).
QString scalableTwin() {
    const QStringList families = QFontDatabase::families();
    for (const char *candidate : {"Microsoft Sans Serif", "Arial", "Liberation Sans"}) {
        const QString family = QString::fromLatin1(candidate);
        if (families.contains(family, Qt::CaseInsensitive))
            return family;
    }
    return {};
}

QString installFontSubstitution() {
    static const QString family = [] {
        const QString design = QString::fromLatin1(DesignFontFamily);
        const QScreen *screen = QGuiApplication::primaryScreen();
        if (screen && screen->devicePixelRatio() > 1.0) {
            if (const QString twin = scalableTwin(); !twin.isEmpty())
                return twin;
        }
        registerPicturesByEm(design);
        return design;
    }();
    return family;
}

} // namespace quervelle
