// The window as designed: its size, every control's place (the design places of
// window/design.h, in twips, as the window was drawn), caption, font, colour and tab order
// against the table below, and the background painted unscaled under transparent labels.

#include "platform/controls/dirlistbox.h"
#include "platform/controls/drivelistbox.h"
#include "platform/controls/filelistbox.h"
#include "window/design.h"
#include "window/quervelle.h"

#include "support/dialogscript.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QOperatingSystemVersion>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTest>

#include <cmath>
#include <memory>

using namespace quervelle;

namespace {

struct DesignRow {
    const char *name;
    const char *className;
    const char *caption; // for lists: the accessible name; boxes are named by their label
    design::Place place;
    int pointSize;
    bool bold;
};

// The design of the window, in tab order.
const DesignRow Design[] = {
    {"Dir1", "quervelle::DirListBox", "Dossiers", design::Dir1, 8, false},
    {"File1", "quervelle::FileListBox", "Fichiers", design::File1, 8, false},
    {"Drive1", "quervelle::DriveListBox", "Lecteurs", design::Drive1, 8, false},
    {"Text1", "QLineEdit", "", design::Text1, 12, false},
    {"Command1", "QPushButton", "Fermer", design::Command1, 8, false},
    {"Command2", "QPushButton", "OK", design::Command2, 8, false},
    {"Label1", "QLabel", "Fichier:", design::Label1, 12, true},
    {"Text2", "QLineEdit", "", design::Text2, 8, false},
    {"Label2", "QLabel", "A été créé le:", design::Label2, 8, false},
    {"Text3", "QLineEdit", "", design::Text3, 8, false},
    {"Label3", "QLabel", "Taille:", design::Label3, 8, false},
    {"Command3", "QPushButton", "Kill", design::Command3, 8, false},
    {"Command4", "QPushButton", "Créer dossier", design::Command4, 8, false},
    {"Command5", "QPushButton", "Exécuter", design::Command5, 8, false},
    {"Command6", "QPushButton", "RmDir", design::Command6, 8, false},
};

int px(int twips) {
    return int(std::lround(twips / 15.0));
}

// Where the text's pixels fall, drawn from a baseline at the origin: measured on the picture,
// since a raster font has no outlines to take a bounding box from.
QRect ink(const QString &text, const QFont &font) {
    const QFontMetrics metrics(font);
    const int pad = metrics.height();
    QImage picture(metrics.horizontalAdvance(text) + 2 * pad, 3 * pad, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(pad, 2 * pad, text);
    painter.end();
    QRect inked;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != qRgb(255, 255, 255))
                inked |= QRect(x, y, 1, 1);
    return inked.translated(-pad, -2 * pad);
}

QString expectedFamily() {
    // Windows has the design font and it is used as named, never mapped; elsewhere it is used
    // where installed, else its metric twin.
    const bool windows = QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows;
    return windows || QFontDatabase::families().contains(QStringLiteral("MS Sans Serif"))
               ? QStringLiteral("MS Sans Serif")
               : QStringLiteral("Liberation Sans");
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void clientArea();
    void control_data();
    void control();
    void captionFits_data();
    void captionFits();
    void labelColour_data();
    void labelColour();
    void tabOrder_data();
    void tabOrder();
    void detailBoxes_data();
    void detailBoxes();
    void background_data();
    void background();

private:
    QWidget *child(const char *name) const {
        return m_window->findChild<QWidget *>(QLatin1String(name));
    }
    QImage grabbed() const {
        return m_window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    test::DialogScript *m_dialogs = nullptr;
    std::unique_ptr<Quervelle> m_window;
};

void TestLayout::init() {
    auto dialogs = std::make_unique<test::DialogScript>();
    m_dialogs = dialogs.get();
    m_window = std::make_unique<Quervelle>(std::move(dialogs));
}

void TestLayout::cleanup() {
    m_window.reset();
}

void TestLayout::clientArea() {
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Quervelle de fichiers"));
    QCOMPARE(m_window->size(), QSize(px(design::ClientWidth), px(design::ClientHeight)));
    QCOMPARE(m_window->size(), QSize(461, 262));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize()); // fixed size
    QVERIFY(!(m_window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(m_window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly).size(),
             qsizetype(std::size(Design)));
}

void TestLayout::control_data() {
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(Design)); ++i)
        QTest::newRow(Design[i].name) << i;
}

void TestLayout::control() {
    QFETCH(int, row);
    const DesignRow &d = Design[row];
    QWidget *w = child(d.name);
    QVERIFY2(w, d.name);
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), QString::fromLatin1(d.className));
    QCOMPARE(w->geometry(),
             QRect(px(d.place.left), px(d.place.top), px(d.place.width), px(d.place.height)));

    const QString caption = QString::fromUtf8(d.caption);
    QCOMPARE(w->accessibleName(), caption);
    if (auto *button = qobject_cast<QPushButton *>(w))
        QCOMPARE(button->text(), caption);
    if (auto *label = qobject_cast<QLabel *>(w)) {
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }
    if (auto *box = qobject_cast<QLineEdit *>(w))
        QCOMPARE(box->text(), QString()); // every box starts empty

    const QFontInfo font(w->font()); // the font as drawn, not as asked for
    QCOMPARE(font.family(), expectedFamily());
    QCOMPARE(font.pointSize(), d.pointSize);
    QCOMPARE(font.bold(), d.bold);
    QCOMPARE(font.italic(), false);
}

void TestLayout::captionFits_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("longestText");
    for (const DesignRow &d : Design)
        if (QByteArray(d.className) == "QPushButton" || QByteArray(d.className) == "QLabel")
            QTest::newRow(d.name) << QString::fromLatin1(d.name) << QString::fromUtf8(d.caption);
    // What the program writes into the boxes must fit as well.
    QTest::newRow("Text2 date with seconds") << "Text2"
                                             << "28/12/2026 23:58:59";
    QTest::newRow("Text3 size over 4 GiB") << "Text3"
                                           << "5368709120";
}

void TestLayout::captionFits() {
    QFETCH(QString, name);
    QFETCH(QString, longestText);
    QWidget *w = m_window->findChild<QWidget *>(name);
    QVERIFY(w);
    const QFontMetrics metrics(w->font());
    QRect room = w->rect();
    if (auto *button = qobject_cast<QPushButton *>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        room = w->style()->subElementRect(QStyle::SE_PushButtonContents, &option, w);
    } else if (auto *box = qobject_cast<QLineEdit *>(w)) {
        QStyleOptionFrame option;
        option.initFrom(box);
        option.lineWidth = w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, w);
        room = w->style()->subElementRect(QStyle::SE_LineEditContents, &option, w);
        room -= box->textMargins();
        room.adjust(2, 1, -2, -1); // the line edit's own margins around its text
    }
    const int advance = metrics.horizontalAdvance(longestText);
    const QString what = QStringLiteral("%1 (%2 px)").arg(longestText).arg(advance);
    QString fault; // the first way the text does not fit, empty when it fits
    auto need = [&fault](bool ok, const QString &why) {
        if (!ok && fault.isEmpty())
            fault = why;
    };
    const QString height =
        QStringLiteral("%1 px high in %2").arg(metrics.height()).arg(room.height());
    if (qobject_cast<QLineEdit *>(w)) {
        // The program shows a box's text from its start (tst_qtplatform), so it is seen whole
        // when it is no wider than the room.
        need(advance <= room.width(), what + QStringLiteral(" in %1").arg(room.width()));
        need(metrics.height() <= room.height(), height);
    } else if (qobject_cast<QLabel *>(w)) {
        // Top-aligned: the ink lies between the top of the label and its bottom.
        const QRect inked = ink(longestText, w->font()).translated(0, metrics.ascent());
        need(!inked.isEmpty(), what + QStringLiteral(" draws nothing"));
        need(inked.left() >= 0 && inked.right() < room.width(), what);
        need(inked.top() >= 0 && inked.bottom() < room.height(),
             what + QStringLiteral(" ink rows %1..%2 of %3")
                        .arg(inked.top())
                        .arg(inked.bottom())
                        .arg(room.height()));
    } else {
        need(advance <= room.width(), what + QStringLiteral(" in %1").arg(room.width()));
        need(metrics.height() <= room.height(), height);
    }

    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void TestLayout::labelColour_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fixedWhite");
    QTest::addColumn<int>("systemRole");
    QTest::newRow("Label1 white") << "Label1" << true << int(QPalette::NoRole);
    QTest::newRow("Label2 button highlight") << "Label2" << false << int(QPalette::Light);
    QTest::newRow("Label3 highlighted text") << "Label3" << false << int(QPalette::HighlightedText);
}

void TestLayout::labelColour() {
    QFETCH(QString, name);
    QFETCH(bool, fixedWhite);
    QFETCH(int, systemRole);
    auto *label = m_window->findChild<QLabel *>(name);
    QVERIFY(label);
    QVERIFY(!label->autoFillBackground());
    QCOMPARE(label->palette().color(QPalette::Window).alpha(), 0);

    const QPalette original = QApplication::palette();
    auto textColour = [label] { return label->palette().color(label->foregroundRole()); };
    auto expected = [&](const QPalette &palette) {
        return fixedWhite ? QColor(Qt::white)
                          : palette.color(QPalette::Active, QPalette::ColorRole(systemRole));
    };
    QCOMPARE(textColour(), expected(original));

    // The system colours follow a change of the system's palette; white stays white.
    QPalette changed = original;
    changed.setColor(QPalette::Light, QColor(10, 200, 30));
    changed.setColor(QPalette::HighlightedText, QColor(200, 30, 10));
    changed.setColor(QPalette::WindowText, QColor(40, 40, 160));
    QApplication::setPalette(changed);
    QCoreApplication::processEvents();
    const QColor afterChange = textColour();
    QApplication::setPalette(original);
    QCoreApplication::processEvents();
    QCOMPARE(afterChange, expected(changed));
}

void TestLayout::tabOrder_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    const char *order[] = {"Dir1",  "File1", "Drive1",   "Text1",    "Command1", "Command2",
                           "Text2", "Text3", "Command3", "Command4", "Command5", "Command6"};
    const int n = int(std::size(order));
    for (int i = 0; i < n; ++i) {
        const char *from = order[i];
        const char *to = order[(i + 1) % n];
        QTest::newRow(qPrintable(QStringLiteral("%1 to %2").arg(from, to))) << from << to;
    }
}

void TestLayout::tabOrder() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QWidget *a = m_window->findChild<QWidget *>(from);
    QWidget *b = m_window->findChild<QWidget *>(to);
    QVERIFY(a && b);

    a->setFocus(Qt::OtherFocusReason);
    QCOMPARE(QApplication::focusWidget(), a);
    QTest::keyClick(a, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), b);
    QTest::keyClick(b, Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), a);
}

void TestLayout::detailBoxes_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("Text2 date") << "Text2";
    QTest::newRow("Text3 size") << "Text3";
}

void TestLayout::detailBoxes() {
    QFETCH(QString, name);
    auto *box = m_window->findChild<QLineEdit *>(name);
    QVERIFY(box);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    box->setText(QStringLiteral("1234"));
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("99"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), QStringLiteral("1234")); // typing changes nothing
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(box->selectedText(), QStringLiteral("1234")); // but the text can be selected
    QVERIFY(box->focusPolicy() & Qt::TabFocus);
}

void TestLayout::background_data() {
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("underLabel");
    QTest::newRow("top-left corner") << QPoint(0, 0) << false;
    QTest::newRow("above the pattern row") << QPoint(200, 5) << false;
    QTest::newRow("between OK and the file list") << QPoint(300, 50) << false;
    QTest::newRow("between the lists") << QPoint(185, 150) << false;
    QTest::newRow("right of the buttons") << QPoint(455, 100) << false;
    QTest::newRow("bottom-right corner") << QPoint(460, 261) << false;
    QTest::newRow("Label1 right of its text") << QPoint(px(480 + 975) - 2, px(315) + 2) << true;
    QTest::newRow("Label2 below its text") << QPoint(px(120) + 30, px(3600 + 255) - 1) << true;
    QTest::newRow("Label3 right of its text") << QPoint(px(3000 + 495) - 2, px(3600) + 8) << true;
}

void TestLayout::background() {
    QFETCH(QPoint, at);
    QFETCH(bool, underLabel);
    const QImage picture(QStringLiteral(":/quervelle/background.bmp"));
    QCOMPARE(picture.size(), QSize(499, 264));
    const QWidget *onTop = m_window->childAt(at);
    if (underLabel)
        QVERIFY(qobject_cast<const QLabel *>(onTop));
    else
        QCOMPARE(onTop, nullptr);

    const QImage shot = grabbed();
    QCOMPARE(shot.size(), m_window->size());
    // Unscaled from the top-left: the window's pixel is the picture's pixel at the same place.
    QCOMPARE(QColor(shot.pixel(at)), QColor(picture.pixel(at)));
    const QColor c = shot.pixelColor(at);
    QVERIFY2(c.red() == c.green() && c.green() == c.blue() && c.red() > 60 && c.red() < 240,
             qPrintable(c.name()));
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
