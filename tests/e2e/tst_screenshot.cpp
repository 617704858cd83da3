// The window as a person sees it on an X server at 96 dots per inch (or at the scale factor
// QT_SCALE_FACTOR gives): the picture is written to screenshots/ in the build folder, and its
// pixels are checked where a fault would show: the background drawn unscaled in the empty
// areas, the labels' text over the background without a filled rectangle, every caption
// inside its control, the folder list's pictures and rows at their design size. The whole
// picture is compared with its reference in tests/e2e/reference/.
//
// The window starts in /mnt/Exemples, a folder of sample names with a fixed date on a tmpfs
// mounted in this process's own mount namespace, so the picture is the same on every machine.
// QUERVELLE_WRITE_REFERENCES=1 (make reference-pictures) writes the references instead, and
// the README's screenshot with the one at scale 1.

#include "window/quervelle.h"

#include "platform/controls/dirlistbox.h"
#include "support/dialogscript.h"
#include "support/mountnamespace.h"
#include "support/picturecompare.h"
#include "support/xvfb.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <cmath>

using namespace quervelle;

class TestScreenshot : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void size();
    void background_data();
    void background();
    void labelsTransparent_data();
    void labelsTransparent();
    void captionsInside_data();
    void captionsInside();
    void folderList();
    void reference();

private:
    // The screenshot's pixel for a point in window coordinates (the top-left of its square).
    QColor shotAt(QPoint p) const { return m_shot.pixelColor(p * m_ratio); }

    QString referencePath() const;

    test::TestMounts m_mounts;
    QString m_start;
    QString m_noFixedFolder; // why the window could not start in /mnt/Exemples
    std::unique_ptr<QTemporaryDir> m_elsewhere;
    std::unique_ptr<Quervelle> m_window;
    QImage m_shot;
    QImage m_picture;
    int m_ratio = 1;
};

void TestScreenshot::initTestCase() {
    // Started in a folder of its own, so that the picture shows the same lists on every machine.
    m_noFixedFolder = m_mounts.mount("tmpfs", "/mnt", "tmpfs", 0, "size=1m,mode=0755");
    if (m_noFixedFolder.isEmpty()) {
        m_start = QStringLiteral("/mnt/Exemples");
    } else {
        m_elsewhere = std::make_unique<QTemporaryDir>();
        QVERIFY(m_elsewhere->isValid());
        m_start = m_elsewhere->filePath(QStringLiteral("Exemples"));
    }
    QVERIFY(QDir().mkpath(m_start));
    QDir start(m_start);
    for (const char *folder : {"Documents", "Images"})
        QVERIFY(start.mkdir(QLatin1String(folder)));
    const QDateTime date(QDate(2026, 12, 8), QTime(7, 32, 51), Qt::UTC);
    for (const char *file : {"lisez-moi.txt", "notes.txt", "fond.bmp", "budget 2026.xls"}) {
        QFile f(start.filePath(QLatin1String(file)));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.setFileTime(date, QFileDevice::FileModificationTime));
    }
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_start));
    auto dialogs = std::make_unique<test::DialogScript>();
    m_window = std::make_unique<Quervelle>(std::move(dialogs));
    QVERIFY(QDir::setCurrent(previous));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->repaint(); // painted and sent to the server before its pixels are read back
    const qreal ratio = m_window->devicePixelRatio();
    QCOMPARE(ratio, std::round(ratio));
    m_ratio = int(ratio);
    QCOMPARE(m_ratio, qEnvironmentVariableIntValue("QT_SCALE_FACTOR") == 2 ? 2 : 1);
    if (m_ratio == 1)
        QCOMPARE(m_window->screen()->logicalDotsPerInch(), 96.0);

    m_shot = m_window->screen()
                 ->grabWindow(m_window->winId())
                 .toImage()
                 .convertToFormat(QImage::Format_RGB32);
    QVERIFY(!m_shot.isNull());
    m_picture = QImage(QStringLiteral(":/quervelle/background.bmp"));

    const QString name =
        qEnvironmentVariable("QUERVELLE_SCREENSHOT", QStringLiteral("quervelle.png"));
    const QString folder =
        qEnvironmentVariable("QUERVELLE_BINARY_DIR") + QStringLiteral("/screenshots");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(m_shot.save(folder + u'/' + name));
    qInfo("screenshot: %s", qPrintable(folder + u'/' + name));
}

void TestScreenshot::size() {
    QCOMPARE(m_shot.size(), QSize(461, 262) * m_ratio);
}

void TestScreenshot::background_data() {
    QTest::addColumn<QPoint>("at");
    QTest::newRow("top-left corner") << QPoint(0, 0);
    QTest::newRow("above the pattern row") << QPoint(200, 5);
    QTest::newRow("between OK and the file list") << QPoint(300, 50);
    QTest::newRow("between the lists") << QPoint(185, 150);
    QTest::newRow("right of the buttons") << QPoint(455, 100);
    QTest::newRow("below the drive list") << QPoint(300, 228);
    QTest::newRow("bottom-right corner") << QPoint(460, 261);
}

void TestScreenshot::background() {
    QFETCH(QPoint, at);
    QCOMPARE(m_window->childAt(at), nullptr);
    const QColor c = shotAt(at);
    QVERIFY2(c.red() == c.green() && c.green() == c.blue() && c.red() > 60 && c.red() < 240,
             qPrintable(c.name()));
    // Unscaled from the top-left: the picture's own pixel, repeated over a square at ratio 2.
    for (int dy = 0; dy < m_ratio; ++dy)
        for (int dx = 0; dx < m_ratio; ++dx)
            QCOMPARE(m_shot.pixelColor(at * m_ratio + QPoint(dx, dy)), m_picture.pixelColor(at));
}

void TestScreenshot::labelsTransparent_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("Label1 Fichier") << "Label1";
    QTest::newRow("Label2 date") << "Label2";
    QTest::newRow("Label3 size") << "Label3";
}

void TestScreenshot::labelsTransparent() {
    QFETCH(QString, name);
    auto *label = m_window->findChild<QLabel *>(name);
    QVERIFY(label);
    const QRect r = label->geometry();
    const QColor textColour = label->palette().color(label->foregroundRole());
    int background = 0, ink = 0, nearText = 0;
    for (int y = r.top() * m_ratio; y <= r.bottom() * m_ratio + m_ratio - 1; ++y) {
        for (int x = r.left() * m_ratio; x <= r.right() * m_ratio + m_ratio - 1; ++x) {
            const QColor shown = m_shot.pixelColor(x, y);
            if (shown == m_picture.pixelColor(x / m_ratio, y / m_ratio)) {
                ++background;
            } else {
                ++ink; // the glyphs, antialiased over the picture
                nearText += std::abs(shown.red() - textColour.red()) < 48 &&
                            std::abs(shown.green() - textColour.green()) < 48 &&
                            std::abs(shown.blue() - textColour.blue()) < 48;
            }
        }
    }
    const int all = r.width() * r.height() * m_ratio * m_ratio;
    // Mostly the picture shows through; the text is drawn, in its own colour.
    QVERIFY2(background > all / 2, qPrintable(QStringLiteral("%1 of %2").arg(background).arg(all)));
    QVERIFY2(ink > 20 * m_ratio * m_ratio, qPrintable(QString::number(ink)));
    QVERIFY2(nearText > ink / 4, qPrintable(QStringLiteral("%1 of %2").arg(nearText).arg(ink)));
}

void TestScreenshot::captionsInside_data() {
    QTest::addColumn<QString>("name");
    for (const char *name :
         {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6"})
        QTest::newRow(name) << name;
}

void TestScreenshot::captionsInside() {
    QFETCH(QString, name);
    auto *button = m_window->findChild<QPushButton *>(name);
    QVERIFY(button);
    // The columns just inside the button's frame, left and right, carry no ink of the caption:
    // a clipped caption would run into them.
    const QRect r(button->geometry().topLeft() * m_ratio, button->size() * m_ratio);
    const QColor textColour = button->palette().color(QPalette::ButtonText);
    auto dark = [&](int x) {
        int n = 0;
        for (int y = r.top() + 4 * m_ratio; y < r.bottom() - 4 * m_ratio; ++y) {
            const QColor c = m_shot.pixelColor(x, y);
            n += std::abs(c.lightness() - textColour.lightness()) < 60;
        }
        return n;
    };
    QCOMPARE(dark(r.left() + 3 * m_ratio), 0);
    QCOMPARE(dark(r.right() - 3 * m_ratio), 0);
}

// The folder list as designed: 16 px pictures, rows 18 px apart, eight rows in its height.
void TestScreenshot::folderList() {
    auto *dir1 = m_window->findChild<DirListBox *>(QStringLiteral("Dir1"));
    QVERIFY(dir1);
    QVERIFY(dir1->model()->rowCount() >= 3);
    for (int row = 0; row + 1 < dir1->model()->rowCount(); ++row) {
        const QRect here = dir1->visualRect(dir1->model()->index(row, 0));
        const QRect next = dir1->visualRect(dir1->model()->index(row + 1, 0));
        QCOMPARE(next.top() - here.top(), 18);
    }
    QCOMPARE(dir1->viewport()->height() / 18, 8);

    // The picture as drawn in the root's row.
    const QRect first = dir1->visualRect(dir1->model()->index(0, 0));
    const QPoint origin = dir1->viewport()->mapTo(m_window.get(), first.topLeft());
    const QList<QRect> pictures =
        test::bluePictures(m_shot, QRect(origin * m_ratio, QSize(24, first.height()) * m_ratio));
    QCOMPARE(pictures.size(), 1);
    const int height = (pictures[0].height() + m_ratio - 1) / m_ratio;
    QVERIFY2(height >= 10 && height <= 16, qPrintable(QString::number(height)));
}

QString TestScreenshot::referencePath() const {
    return qEnvironmentVariable("QUERVELLE_SOURCE_DIR") + QStringLiteral("/tests/e2e/reference/") +
           qEnvironmentVariable("QUERVELLE_SCREENSHOT", QStringLiteral("quervelle.png"));
}

// The whole window against its reference picture. A channel may differ by up to 24 levels of
// 255: the edges of antialiased glyphs and of the pictures scaled at 2x move by a few levels
// between versions of the font renderer. Nothing else may differ: a control one pixel off
// changes hundreds of pixels by far more.
void TestScreenshot::reference() {
    if (!m_noFixedFolder.isEmpty())
        QSKIP(qPrintable(QStringLiteral("the window cannot start in /mnt/Exemples here (%1): "
                                        "its picture cannot match the reference")
                             .arg(m_noFixedFolder)));
    if (qEnvironmentVariableIntValue("QUERVELLE_WRITE_REFERENCES") == 1) {
        QVERIFY(m_shot.save(referencePath()));
        qInfo("reference written: %s", qPrintable(referencePath()));
        if (m_ratio == 1) {
            const QString readme = qEnvironmentVariable("QUERVELLE_SOURCE_DIR") +
                                   QStringLiteral("/assets/screenshots/quervelle.png");
            QVERIFY(m_shot.save(readme));
            qInfo("README screenshot written: %s", qPrintable(readme));
        }
        return;
    }
    const QImage reference(referencePath());
    QVERIFY2(!reference.isNull(), qPrintable(QStringLiteral("no reference picture %1; "
                                                            "make reference-pictures writes it")
                                                 .arg(referencePath())));
    const test::PictureDifference difference = test::comparePictures(m_shot, reference, 24);
    if (difference.sameSize && difference.differing == 0)
        return;
    const QString folder =
        qEnvironmentVariable("QUERVELLE_BINARY_DIR") + QStringLiteral("/screenshots");
    const QString stem = QFileInfo(referencePath()).completeBaseName();
    const QString saved = test::saveDifference(folder, stem, m_shot, difference);
    QFAIL(qPrintable(difference.sameSize
                         ? QStringLiteral("%1 pixels differ from %2, within x %3..%4, y %5..%6; %7")
                               .arg(difference.differing)
                               .arg(referencePath())
                               .arg(difference.where.left())
                               .arg(difference.where.right())
                               .arg(difference.where.top())
                               .arg(difference.where.bottom())
                               .arg(saved)
                         : QStringLiteral("%1 x %2 rendered, %3 x %4 in %5; %6")
                               .arg(m_shot.width())
                               .arg(m_shot.height())
                               .arg(reference.width())
                               .arg(reference.height())
                               .arg(referencePath(), saved)));
}

int main(int argc, char *argv[]) {
    // First, while this process has a single thread: the namespace is then the whole process's.
    quervelle::test::enterPrivateMountNamespace();
    if (!quervelle::test::startXvfbForThisProcess())
        return 1;
    QApplication app(argc, argv);
    TestScreenshot test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screenshot.moc"
