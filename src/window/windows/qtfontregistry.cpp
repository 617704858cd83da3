#include "window/windows/qtfontregistry.h"

#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/private/qwindowsfontdatabase_p.h>
#include <qpa/qplatformfontdatabase.h>
#include <qpa/qplatformintegration.h>

namespace quervelle {

bool registerRasterFacesByEm(const QString &family, const std::vector<RasterFace> &faces) {
    QPlatformIntegration *integration = QGuiApplicationPrivate::platformIntegration();
    // Only Qt's GDI font database, the default one, sizes raster fonts by their cell and names a
    // font to Windows by its family alone (no file handle).
    if (!integration || !dynamic_cast<QWindowsFontDatabase *>(integration->fontDatabase()))
        return false;
    QFontDatabase::families(); // every family listed first, so that this one is not the only one
    for (const RasterFace &face : faces) {
        QSupportedWritingSystems systems;
        if (face.writingSystem != QFontDatabase::Any)
            systems.setSupported(face.writingSystem);
        QPlatformFontDatabase::registerFont(family, QString(), QString(), face.weight, face.style,
                                            QFont::Unstretched, false, false, face.em,
                                            face.fixedPitch, systems, nullptr);
    }
    return true;
}

} // namespace quervelle
