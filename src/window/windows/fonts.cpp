// Windows has "MS Sans Serif" and draws it itself: the design font is used as it is named. It is
// a raster font, one picture per size, and Qt's Windows font database records each picture by
// its cell height while it asks Windows for a font by its em: asked for 8 points (11 pixels of
// em at 96 dpi), Qt would pick the 13-pixel cell and Windows would give the picture whose em is
// 13, the 10-point one, too wide for the captions. So the pictures are registered with Qt by
// their em before Qt reads them itself; the font stays Windows' own, drawn by Windows. Above 96
// dots per inch a scalable face with the same widths stands in for it (scalableTwin()).

#include "window/fonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/private/qwindowsfontdatabase_p.h>
#include <qpa/qplatformfontdatabase.h>
#include <qpa/qplatformintegration.h>

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

// The pictures of family when it is a raster font; none for a scalable or missing one.
std::vector<Picture> rasterPictures(const QString &family) {
    std::vector<Picture> pictures;
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    family.left(LF_FACESIZE - 1).toWCharArray(wanted.lfFaceName);
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, addPicture, reinterpret_cast<LPARAM>(&pictures), 0);
    ReleaseDC(nullptr, screen);
    return pictures;
}

QSupportedWritingSystems writingSystems(BYTE charSet) {
    QSupportedWritingSystems systems;
    switch (charSet) {
    case ANSI_CHARSET:
    case EASTEUROPE_CHARSET:
    case BALTIC_CHARSET:
    case TURKISH_CHARSET:
        systems.setSupported(QFontDatabase::Latin);
        break;
    case GREEK_CHARSET:
        systems.setSupported(QFontDatabase::Greek);
        break;
    case RUSSIAN_CHARSET:
        systems.setSupported(QFontDatabase::Cyrillic);
        break;
    default:
        break;
    }
    return systems;
}

// Registers each picture as Qt itself would, with its em as its pixel size; Qt then reads the
// family no further. Only Qt's GDI font database, the default one, sizes raster fonts this way
// and names a font to Windows by its family alone (no file handle).
void registerPicturesByEm(const QString &family) {
    QPlatformIntegration *integration = QGuiApplicationPrivate::platformIntegration();
    if (!integration || !dynamic_cast<QWindowsFontDatabase *>(integration->fontDatabase()))
        return;
    QFontDatabase::families(); // every family listed first, so that this one is not the only one
    for (const Picture &picture : rasterPictures(family)) {
        const TEXTMETRICW &m = picture.metric;
        const auto weight = QFont::Weight(m.tmWeight);
        const bool fixedPitch = !(m.tmPitchAndFamily & TMPF_FIXED_PITCH);
        const int em = m.tmHeight - m.tmInternalLeading;
        const QSupportedWritingSystems systems = writingSystems(picture.charSet);
        // Windows makes the bold and italic faces of a raster font itself.
        const QFont::Weight bold = weight <= QFont::DemiBold ? QFont::Bold : weight;
        for (const QFont::Weight w : {weight, bold})
            for (const QFont::Style style : {QFont::StyleNormal, QFont::StyleItalic})
                QPlatformFontDatabase::registerFont(family, QString(), QString(), w, style,
                                                    QFont::Unstretched, false, false, em,
                                                    fixedPitch, systems, nullptr);
    }
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
