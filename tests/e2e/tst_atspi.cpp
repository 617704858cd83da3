// The built program as a screen reader meets it: on a private X server and accessibility bus,
// its window read through AT-SPI shows every control's role, name, description and label
// relations; pressing "OK" through AT-SPI's action interface with an empty pattern brings the
// "Erreur" box with its text, and "Fermer" ends the program. Skipped, saying why, where the
// accessibility bus cannot start.

#include "support/accessibilitybus.h"
#include "support/skipping.h"
#include "support/xvfb.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <optional>

namespace {

struct Node {
    QString service;
    QDBusObjectPath path;
};
struct Relation {
    uint type = 0; // 1 label for, 2 labelled by
    QList<Node> targets;
};
struct ActionInfo {
    QString name, description, keys;
};

const QDBusArgument &operator>>(const QDBusArgument &a, Node &n) {
    a.beginStructure();
    a >> n.service >> n.path;
    a.endStructure();
    return a;
}
const QDBusArgument &operator>>(const QDBusArgument &a, Relation &r) {
    a.beginStructure();
    a >> r.type >> r.targets;
    a.endStructure();
    return a;
}
const QDBusArgument &operator>>(const QDBusArgument &a, ActionInfo &i) {
    a.beginStructure();
    a >> i.name >> i.description >> i.keys;
    a.endStructure();
    return a;
}

const QString Accessible = QStringLiteral("org.a11y.atspi.Accessible");
const QString Message =
    QStringLiteral("Sélectionnez 'extension' ou 'Nom complet' et renseigner la case 'fichier'");

// The few AT-SPI calls a screen reader makes.
class AtSpi {
public:
    explicit AtSpi(const QString &address)
        : m_bus(QDBusConnection::connectToBus(address, QStringLiteral("quervelle-atspi"))) {}
    ~AtSpi() { QDBusConnection::disconnectFromBus(QStringLiteral("quervelle-atspi")); }

    QDBusMessage message(const Node &n, const QString &iface, const char *method,
                         const QVariantList &args = {}) const {
        auto m =
            QDBusMessage::createMethodCall(n.service, n.path.path(), iface, QLatin1String(method));
        m.setArguments(args);
        return m;
    }
    template <typename T>
    T call(const Node &n, const char *method, const QString &iface = Accessible,
           const QVariantList &args = {}) const {
        const QVariant v = m_bus.call(message(n, iface, method, args)).arguments().value(0);
        return qdbus_cast<T>(v.canConvert<QDBusVariant>() ? v.value<QDBusVariant>().variant() : v);
    }
    QString text(const Node &n, const char *property) const {
        return call<QString>(n, "Get", QStringLiteral("org.freedesktop.DBus.Properties"),
                             {Accessible, QLatin1String(property)});
    }
    QList<Node> children(const Node &n) const { return call<QList<Node>>(n, "GetChildren"); }
    // "role|name|description|label relations", as a screen reader gathers them.
    QString said(const Node &n) const {
        QStringList labels;
        for (const Relation &r : call<QList<Relation>>(n, "GetRelationSet"))
            for (const Node &target : r.targets)
                if (r.type == 1 || r.type == 2)
                    labels << (r.type == 1 ? "label for " : "labelled by ") + text(target, "Name");
        return QStringList{call<QString>(n, "GetRoleName"), text(n, "Name"), text(n, "Description"),
                           labels.join(u',')}
            .join(u'|');
    }
    // Started without waiting: a modal box holds the answer until it closes.
    QDBusPendingReply<bool> press(const Node &n) const {
        const QString action = QStringLiteral("org.a11y.atspi.Action");
        const auto actions = call<QList<ActionInfo>>(n, "GetActions", action);
        int index = 0;
        while (index < actions.size() && actions[index].name != QStringLiteral("Press"))
            ++index;
        return m_bus.asyncCall(message(n, action, "DoAction", {index}));
    }
    std::optional<Node> find(const Node &n, const QString &name, int depth = 4) const {
        if (text(n, "Name") == name)
            return n;
        for (const Node &child : depth > 0 ? children(n) : QList<Node>{})
            if (auto found = find(child, name, depth - 1))
                return found;
        return std::nullopt;
    }

private:
    QDBusConnection m_bus;
};

} // namespace

class TestAtSpi : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void control_data();
    void control();
    void errorBoxThroughOk();
    void fermerEndsProgram();

private:
    quervelle::test::XvfbServer m_server;
    quervelle::test::AccessibilityBus m_bus;
    QTemporaryDir m_start;
    QProcess m_program;
    std::unique_ptr<AtSpi> m_atspi;
    Node m_app;
    QList<Node> m_window; // the window, then its controls as the design lists them
};

void TestAtSpi::initTestCase() {
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    if (!m_bus.start(m_server.display()) || m_bus.address().isEmpty())
        QUERVELLE_SKIP(qPrintable(QStringLiteral("no accessibility bus: ") + m_bus.error()));
    m_atspi = std::make_unique<AtSpi>(m_bus.address());

    QProcessEnvironment env = m_bus.environment(QProcessEnvironment::systemEnvironment());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("DISPLAY"), m_server.display());
    m_program.setProcessEnvironment(env);
    m_program.setWorkingDirectory(m_start.path());
    m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_program.start(qEnvironmentVariable("QUERVELLE_EXECUTABLE"), {});
    QVERIFY2(m_program.waitForStarted(), qPrintable(m_program.errorString()));

    // The program registers with the bus's registry; its window appears under it.
    const Node registry{QStringLiteral("org.a11y.atspi.Registry"),
                        QDBusObjectPath(QStringLiteral("/org/a11y/atspi/accessible/root"))};
    const auto shown = [&] {
        for (const Node &app : m_atspi->children(registry)) {
            if (m_atspi->text(app, "Name") != QStringLiteral("quervelle"))
                continue;
            m_app = app;
            for (const Node &window : m_atspi->children(app))
                m_window = QList<Node>{window} + m_atspi->children(window);
        }
        return m_window.size() == 16;
    };
    QVERIFY2(QTest::qWaitFor(shown, 60000), "the window never appeared on the accessibility bus");
}

void TestAtSpi::cleanupTestCase() {
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished();
    }
}

void TestAtSpi::control_data() {
    QTest::addColumn<int>("index"); // 0 the window, then the controls in the design's order
    QTest::addColumn<QString>("said");
    const char *rows[][2] = {
        {"window", "frame|Quervelle de fichiers||"},
        {"Dir1", "list|Dossiers||"},
        {"File1", "list|Fichiers||"},
        {"Drive1", "combo box|Lecteurs||"},
        {"Text1", "text|Fichier:||labelled by Fichier:"},
        {"Command1", "push button|Fermer||"},
        {"Command2", "push button|OK||"},
        {"Label1", "label|Fichier:||label for Fichier:"},
        {"Text2", "text|A été créé le:||labelled by A été créé le:"},
        {"Label2", "label|A été créé le:||label for A été créé le:"},
        {"Text3", "text|Taille:||labelled by Taille:"},
        {"Label3", "label|Taille:||label for Taille:"},
        {"Command3", "push button|Kill|Effacer le fichier choisi|"},
        {"Command4", "push button|Créer dossier||"},
        {"Command5", "push button|Exécuter||"},
        {"Command6", "push button|RmDir|Supprimer le dossier affiché|"},
    };
    for (int i = 0; i < int(std::size(rows)); ++i)
        QTest::newRow(rows[i][0]) << i << QString::fromUtf8(rows[i][1]);
}

void TestAtSpi::control() {
    QFETCH(int, index);
    QFETCH(QString, said);
    QCOMPARE(m_atspi->said(m_window.value(index)), said);
}

void TestAtSpi::errorBoxThroughOk() {
    QDBusPendingReply<bool> pressed = m_atspi->press(m_window.value(6));
    std::optional<Node> box;
    auto findBox = [&] {
        box.reset();
        for (const Node &top : m_atspi->children(m_app))
            if (m_atspi->text(top, "Name") == QStringLiteral("Erreur"))
                box = top;
        return box.has_value();
    };
    QVERIFY2(QTest::qWaitFor(findBox, 20000), "no \"Erreur\" box appeared");
    QCOMPARE(m_atspi->call<QString>(*box, "GetRoleName"), QStringLiteral("alert message"));
    QVERIFY2(m_atspi->find(*box, Message), "the box does not say its message");
    const std::optional<Node> ok = m_atspi->find(*box, QStringLiteral("OK"));
    QVERIFY(ok);
    QDBusPendingReply<bool> closed = m_atspi->press(*ok);
    closed.waitForFinished();
    pressed.waitForFinished();
    QVERIFY2(closed.value() && pressed.value(), qPrintable(closed.error().message()));
    QTRY_VERIFY(!findBox());
}

void TestAtSpi::fermerEndsProgram() {
    m_atspi->press(m_window.value(5));
    QVERIFY(m_program.waitForFinished(20000));
    QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program.exitCode(), 0);
}

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    TestAtSpi test;
    return quervelle::test::exitCode(QTest::qExec(&test, argc, argv));
}
#include "tst_atspi.moc"
