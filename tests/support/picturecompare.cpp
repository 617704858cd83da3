#include "support/picturecompare.h"

#include <QDir>

#include <cstdlib>

namespace quervelle::test {

QList<QRect> bluePictures(const QImage &shot, QRect area) {
    QList<QRect> pictures;
    bool inside = false;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QRect row;
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c.blue() > c.red() + 40)
                row |= QRect(x, y, 1, 1);
        }
        if (row.isNull()) {
            inside = false;
        } else if (inside) {
            pictures.last() |= row;
        } else {
            pictures.append(row);
            inside = true;
        }
    }
    return pictures;
}

PictureDifference comparePictures(const QImage &shown, const QImage &reference, int tolerance) {
    PictureDifference result;
    result.sameSize = shown.size() == reference.size();
    if (!result.sameSize)
        return result;
    const QImage a = shown.convertToFormat(QImage::Format_RGB32);
    const QImage b = reference.convertToFormat(QImage::Format_RGB32);
    result.picture = QImage(b.size(), QImage::Format_RGB32);
    for (int y = 0; y < b.height(); ++y) {
        const auto *lineA = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *lineB = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(result.picture.scanLine(y));
        for (int x = 0; x < b.width(); ++x) {
            const QRgb p = lineA[x];
            const QRgb q = lineB[x];
            const bool differs = std::abs(qRed(p) - qRed(q)) > tolerance ||
                                 std::abs(qGreen(p) - qGreen(q)) > tolerance ||
                                 std::abs(qBlue(p) - qBlue(q)) > tolerance;
            if (differs) {
                ++result.differing;
                result.where |= QRect(x, y, 1, 1);
                out[x] = qRgb(255, 0, 0);
            } else {
                const int grey = 128 + qGray(q) / 2; // the reference, faded, for orientation
                out[x] = qRgb(grey, grey, grey);
            }
        }
    }
    return result;
}

QString saveDifference(const QString &folder, const QString &stem, const QImage &shown,
                       const PictureDifference &difference) {
    if (!QDir().mkpath(folder))
        return QStringLiteral("cannot make %1").arg(folder);
    const QString rendered = folder + u'/' + stem + QStringLiteral(".rendered.png");
    const QString diff = folder + u'/' + stem + QStringLiteral(".difference.png");
    if (!shown.save(rendered))
        return QStringLiteral("cannot write %1").arg(rendered);
    if (!difference.picture.isNull() && !difference.picture.save(diff))
        return QStringLiteral("cannot write %1").arg(diff);
    return difference.picture.isNull()
               ? QStringLiteral("rendered picture: %1 (sizes differ, no difference picture)")
                     .arg(rendered)
               : QStringLiteral("rendered picture: %1, difference (red): %2").arg(rendered, diff);
}

} // namespace quervelle::test
