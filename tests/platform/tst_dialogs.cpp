// The real message and input boxes, answered by a timer that finds the modal box and presses
// its keys or buttons.

#include "platform/dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

struct Seen {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QString title;
    QString text;
};

// Calls act on the modal widget as soon as it is shown.
void whenShown(std::function<void(QWidget *)> act) {
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void msgBox_data();
    void msgBox();
    void inputBox_data();
    void inputBox();
    void uncaughtError();
};

void TestDialogs::msgBox_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("press"); // "default", "escape", "close" or a button name
    QTest::addColumn<QList<QMessageBox::StandardButton>>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<int>("answer");

    using B = QMessageBox;
    const QList<B::StandardButton> ok{B::Ok}, okCancel{B::Ok, B::Cancel},
        retryCancel{B::Retry, B::Cancel};
    QTest::newRow("48 OK") << 48 << "Ok" << ok << int(B::Ok) << 1;
    QTest::newRow("48 Enter") << 48 << "default" << ok << int(B::Ok) << 1;
    QTest::newRow("48 Escape answers OK") << 48 << "escape" << ok << int(B::Ok) << 1;
    QTest::newRow("48 frame answers OK") << 48 << "close" << ok << int(B::Ok) << 1;
    QTest::newRow("49 OK") << 49 << "Ok" << okCancel << int(B::Ok) << 1;
    QTest::newRow("49 Cancel") << 49 << "Cancel" << okCancel << int(B::Ok) << 2;
    QTest::newRow("49 Enter is OK") << 49 << "default" << okCancel << int(B::Ok) << 1;
    QTest::newRow("49 Escape") << 49 << "escape" << okCancel << int(B::Ok) << 2;
    QTest::newRow("49 frame") << 49 << "close" << okCancel << int(B::Ok) << 2;
    QTest::newRow("53 Retry") << 53 << "Retry" << retryCancel << int(B::Retry) << 4;
    QTest::newRow("53 Cancel") << 53 << "Cancel" << retryCancel << int(B::Retry) << 2;
    QTest::newRow("53 Enter is Retry") << 53 << "default" << retryCancel << int(B::Retry) << 4;
    QTest::newRow("53 Escape") << 53 << "escape" << retryCancel << int(B::Retry) << 2;
    QTest::newRow("53 frame") << 53 << "close" << retryCancel << int(B::Retry) << 2;
}

void TestDialogs::msgBox() {
    QFETCH(int, code);
    QFETCH(QString, press);
    QFETCH(QList<QMessageBox::StandardButton>, buttons);
    QFETCH(int, defaultButton);
    QFETCH(int, answer);

    Seen seen;
    whenShown([&seen, press](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            modal->close();
            return;
        }
        seen.icon = box->icon();
        seen.title = box->windowTitle();
        seen.text = box->text();
        for (QAbstractButton *b : box->buttons())
            seen.buttons << box->standardButton(b);
        if (box->defaultButton())
            seen.defaultButton = box->standardButton(box->defaultButton());
        if (press == QLatin1String("default"))
            QTest::keyClick(box, Qt::Key_Return);
        else if (press == QLatin1String("escape"))
            QTest::keyClick(box, Qt::Key_Escape);
        else if (press == QLatin1String("close"))
            box->close();
        else
            box->button(press == QLatin1String("Ok")       ? QMessageBox::Ok
                        : press == QLatin1String("Cancel") ? QMessageBox::Cancel
                                                           : QMessageBox::Retry)
                ->click();
    });
    quervelle::QtDialogs dialogs(nullptr);
    const int result = dialogs.msgBox("Effacer le fichier ? <b>a\xFF</b>", code, "Confirmation");

    QCOMPARE(result, answer);
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.title, QStringLiteral("Confirmation"));
    // Shown as plain text, the bad byte as U+FFFD.
    QCOMPARE(seen.text, QStringLiteral("Effacer le fichier ? <b>a\uFFFD</b>"));
    std::sort(seen.buttons.begin(), seen.buttons.end());
    std::sort(buttons.begin(), buttons.end());
    QCOMPARE(seen.buttons, buttons);
    QCOMPARE(int(seen.defaultButton), defaultButton);
}

void TestDialogs::inputBox_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("press"); // "ok", "cancel", "escape"
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("OK") << QString::fromUtf8("Nouveau dossier é") << "ok"
                        << QByteArray("Nouveau dossier \xC3\xA9");
    QTest::newRow("trailing blank kept") << "Nouveau "
                                         << "ok" << QByteArray("Nouveau ");
    QTest::newRow("nothing typed") << ""
                                   << "ok" << QByteArray();
    QTest::newRow("Cancel gives the empty text") << "abc"
                                                 << "cancel" << QByteArray();
    QTest::newRow("Escape gives the empty text") << "abc"
                                                 << "escape" << QByteArray();
}

void TestDialogs::inputBox() {
    QFETCH(QString, typed);
    QFETCH(QString, press);
    QFETCH(QByteArray, result);
    QString title, label;
    whenShown([&, typed, press](QWidget *modal) {
        auto *dialog = qobject_cast<QInputDialog *>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        title = dialog->windowTitle();
        label = dialog->labelText();
        auto *edit = dialog->findChild<QLineEdit *>();
        edit->setText(typed); // keyClicks only types ASCII
        if (press == QLatin1String("ok"))
            QTest::keyClick(edit, Qt::Key_Return);
        else if (press == QLatin1String("escape"))
            QTest::keyClick(edit, Qt::Key_Escape);
        else
            dialog->reject();
    });
    quervelle::QtDialogs dialogs(nullptr);
    const std::string text =
        dialogs.inputBox("Entrez le nom du dossier que vous voulez créer.", "Précision");
    QCOMPARE(QByteArray::fromStdString(text), result);
    QCOMPARE(title, QStringLiteral("Précision"));
    QCOMPARE(label, QStringLiteral("Entrez le nom du dossier que vous voulez créer."));
}

void TestDialogs::uncaughtError() {
    Seen seen;
    whenShown([&seen](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            modal->close();
            return;
        }
        seen.icon = box->icon();
        seen.title = box->windowTitle();
        seen.text = box->text();
        for (QAbstractButton *b : box->buttons())
            seen.buttons << box->standardButton(b);
        QTest::keyClick(box, Qt::Key_Return);
    });
    quervelle::QtDialogs dialogs(nullptr);
    dialogs.uncaughtError("Fichier introuvable : /tmp/a\xFF");
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.title, QStringLiteral("Quervelle de fichiers"));
    QCOMPARE(seen.text, QStringLiteral("Fichier introuvable : /tmp/a\uFFFD"));
    QCOMPARE(seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
