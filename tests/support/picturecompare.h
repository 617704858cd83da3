#pragma once

// Compares a rendered picture of the window with its reference picture, pixel by pixel, and
// shows where they differ.

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

namespace quervelle::test {

struct PictureDifference {
    bool sameSize = false;
    int differing = 0; // pixels where a colour channel is further apart than the tolerance
    QRect where;       // the smallest rectangle holding them
    QImage picture;    // the reference dimmed, with the differing pixels in red
};

// The pictures drawn in blue inside area of a screenshot, one rectangle for each run of pixel
// rows that hold some, top to bottom: the folder pictures of a column of the folder list.
QList<QRect> bluePictures(const QImage &shot, QRect area);

// A pixel differs when one of its channels is more than `tolerance` apart (0 to 255).
PictureDifference comparePictures(const QImage &shown, const QImage &reference, int tolerance);

// Writes the picture shown and the difference beside each other in folder, as
// <stem>.rendered.png and <stem>.difference.png; returns a sentence saying where, or why not.
QString saveDifference(const QString &folder, const QString &stem, const QImage &shown,
                       const PictureDifference &difference);

} // namespace quervelle::test
