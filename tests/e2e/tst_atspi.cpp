// The built program as a screen reader meets it: on a private X server and accessibility bus,
// the tree of its window read through AT-SPI shows every control's role, name, description and
// label relations and the folder rows' level and state; pressing "OK" through AT-SPI's action
// interface with an empty pattern brings the "Erreur" box with its text, and "Fermer" ends the
// program. Skipped, saying why, where the accessibility bus cannot start.

#include "support/accessibilitybus.h"
#include "support/fsfixture.h"
#include "support/xvfb.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

const QString Accessible = QStringLiteral("org.a11y.atspi.Accessible");
const QString Action = QStringLiteral("org.a11y.atspi.Action");
constexpr uint LabelFor = 1, LabelledBy = 2;                 // AT-SPI relation types
constexpr uint Collapsed = 5, Expandable = 9, Expanded = 10; // AT-SPI states
const QString Message =
    QStringLiteral("Sélectionnez 'extension' ou 'Nom complet' et renseigner la case 'fichier'");

struct Node {
    QString service;
    QString path;
};

// The few AT-SPI calls a screen reader makes, over the accessibility bus.
class AtSpi {
public:
    explicit AtSpi(const QString &address)
        : m_bus(QDBusConnection::connectToBus(address, QStringLiteral("quervelle-atspi"))) {}
    ~AtSpi() { QDBusConnection::disconnectFromBus(QStringLiteral("quervelle-atspi")); }

    QDBusMessage message(const Node &n, const QString &iface, const QString &method,
                         const QVariantList &args = {}) const {
        QDBusMessage m = QDBusMessage::createMethodCall(n.service, n.path, iface, method);
        m.setArguments(args);
        return m;
    }
    QVariant call(const Node &n, const QString &iface, const QString &method,
                  const QVariantList &args = {}) const {
        return m_bus.call(message(n, iface, method, args), QDBus::Block, 10000)
            .arguments()
            .value(0);
    }
    QString property(const Node &n, const char *name) const {
        const QVariant v = call(n, QStringLiteral("org.freedesktop.DBus.Properties"),
                                QStringLiteral("Get"), {Accessible, QLatin1String(name)});
        return v.value<QDBusVariant>().variant().toString();
    }
    QString name(const Node &n) const { return property(n, "Name"); }
    QString role(const Node &n) const {
        return call(n, Accessible, QStringLiteral("GetRoleName")).toString();
    }

    QList<Node> children(const Node &n) const {
        const auto arg = call(n, Accessible, QStringLiteral("GetChildren")).value<QDBusArgument>();
        QList<Node> out;
        arg.beginArray();
        while (!arg.atEnd())
            out << node(arg);
        arg.endArray();
        return out;
    }
    // "labelled-by label Fichier:", one line per related object.
    QStringList relations(const Node &n) const {
        const auto arg =
            call(n, Accessible, QStringLiteral("GetRelationSet")).value<QDBusArgument>();
        QStringList out;
        arg.beginArray();
        while (!arg.atEnd()) {
            uint type = 0;
            arg.beginStructure();
            arg >> type;
            arg.beginArray();
            while (!arg.atEnd()) {
                const Node target = node(arg);
                const QString kind = type == LabelFor     ? QStringLiteral("label-for")
                                     : type == LabelledBy ? QStringLiteral("labelled-by")
                                                          : QString::number(type);
                out << kind + u' ' + role(target) + u' ' + name(target);
            }
            arg.endArray();
            arg.endStructure();
        }
        arg.endArray();
        return out;
    }
    bool hasState(const Node &n, uint state) const {
        const auto words = qdbus_cast<QList<uint>>(call(n, Accessible, QStringLiteral("GetState")));
        return words.size() > int(state / 32) && (words[state / 32] >> (state % 32)) & 1u;
    }
    // Starts the action without waiting: a modal box keeps the answer until it closes.
    QDBusPendingCall act(const Node &n, const QString &action) const {
        const auto arg = call(n, Action, QStringLiteral("GetActions")).value<QDBusArgument>();
        int index = -1;
        arg.beginArray();
        for (int i = 0; !arg.atEnd(); ++i) {
            QString actionName, description, keys;
            arg.beginStructure();
            arg >> actionName >> description >> keys;
            arg.endStructure();
            if (actionName == action && index < 0)
                index = i;
        }
        arg.endArray();
        return m_bus.asyncCall(message(n, Action, QStringLiteral("DoAction"), {index}));
    }
    // The first node under n (n included, depth first) that matches.
    std::optional<Node> find(const Node &n, const std::function<bool(const Node &)> &match,
                             int depth = 4) const {
        if (match(n))
            return n;
        if (depth > 0)
            for (const Node &child : children(n))
                if (auto found = find(child, match, depth - 1))
                    return found;
        return std::nullopt;
    }

private:
    static Node node(const QDBusArgument &arg) {
        Node n;
        QDBusObjectPath path;
        arg.beginStructure();
        arg >> n.service >> path;
        arg.endStructure();
        n.path = path.path();
        return n;
    }

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
    void folderRows();
    void errorBoxThroughOk();
    void fermerEndsProgram();

private:
    quervelle::test::XvfbServer m_server;
    quervelle::test::AccessibilityBus m_bus;
    QTemporaryDir m_start;
    QProcess m_program;
    std::unique_ptr<AtSpi> m_atspi;
    Node m_app;
    Node m_window;
    QList<Node> m_controls; // in tab order of creation, as the design table lists them
};

void TestAtSpi::initTestCase() {
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    if (!m_bus.start(m_server.display()) || m_bus.address().isEmpty())
        QSKIP(qPrintable(QStringLiteral("no accessibility bus: ") + m_bus.error()));
    m_atspi = std::make_unique<AtSpi>(m_bus.address());

    const std::string start = quervelle::test::fsPath(m_start);
    QVERIFY(quervelle::test::fsMakeDir(quervelle::test::fsJoin(start, "sous-dossier")));
    QProcessEnvironment env = m_bus.environment(QProcessEnvironment::systemEnvironment());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("DISPLAY"), m_server.display());
    m_program.setProcessEnvironment(env);
    m_program.setWorkingDirectory(m_start.path());
    m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_program.start(qEnvironmentVariable("QUERVELLE_EXECUTABLE"), {});
    QVERIFY2(m_program.waitForStarted(), qPrintable(m_program.errorString()));

    // The program registers with the bus's registry, its window appears under it.
    const Node registry{QStringLiteral("org.a11y.atspi.Registry"),
                        QStringLiteral("/org/a11y/atspi/accessible/root")};
    const bool found = QTest::qWaitFor(
        [&] {
            for (const Node &app : m_atspi->children(registry)) {
                if (m_atspi->name(app) != QStringLiteral("quervelle"))
                    continue;
                for (const Node &window : m_atspi->children(app)) {
                    if (m_atspi->name(window) == QStringLiteral("Quervelle de fichiers")) {
                        m_app = app;
                        m_window = window;
                        m_controls = m_atspi->children(window);
                        return m_controls.size() == 15;
                    }
                }
            }
            return false;
        },
        60000);
    QVERIFY2(found, "the window never appeared on the accessibility bus");
}

void TestAtSpi::cleanupTestCase() {
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished();
    }
}

void TestAtSpi::control_data() {
    QTest::addColumn<int>("index"); // -1 for the window
    QTest::addColumn<QString>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QStringList>("labels"); // the label relations
    auto row = [](const char *tag, int index, const char *role, const char *name,
                  const char *description = "", const char *label = nullptr) {
        QTest::newRow(tag) << index << role << QString::fromUtf8(name)
                           << QString::fromUtf8(description)
                           << (label ? QStringList{QString::fromUtf8(label)} : QStringList{});
    };
    row("window", -1, "frame", "Quervelle de fichiers");
    row("Dir1", 0, "list", "Dossiers");
    row("File1", 1, "list", "Fichiers");
    row("Drive1", 2, "combo box", "Lecteurs");
    row("Text1", 3, "text", "Fichier:", "", "labelled-by label Fichier:");
    row("Command1", 4, "push button", "Fermer");
    row("Command2", 5, "push button", "OK");
    row("Label1", 6, "label", "Fichier:", "", "label-for text Fichier:");
    row("Text2", 7, "text", "A été créé le:", "", "labelled-by label A été créé le:");
    row("Label2", 8, "label", "A été créé le:", "", "label-for text A été créé le:");
    row("Text3", 9, "text", "Taille:", "", "labelled-by label Taille:");
    row("Label3", 10, "label", "Taille:", "", "label-for text Taille:");
    row("Command3", 11, "push button", "Kill", "Effacer le fichier choisi");
    row("Command4", 12, "push button", "Créer dossier");
    row("Command5", 13, "push button", "Exécuter");
    row("Command6", 14, "push button", "RmDir", "Supprimer le dossier affiché");
}

void TestAtSpi::control() {
    QFETCH(int, index);
    QFETCH(QString, role);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QStringList, labels);
    const Node n = index < 0 ? m_window : m_controls.value(index);
    QCOMPARE(m_atspi->role(n), role);
    QCOMPARE(m_atspi->name(n), name);
    QCOMPARE(m_atspi->property(n, "Description"), description);
    QStringList labelRelations = m_atspi->relations(n).filter(QStringLiteral("label"));
    QCOMPARE(labelRelations, labels);
}

void TestAtSpi::folderRows() {
    // The start folder is shown (open), its one sub-folder below it (closed).
    const QList<Node> rows = m_atspi->children(m_controls.value(0));
    QVERIFY(rows.size() >= 2);
    const Node &shown = rows[rows.size() - 2];
    const Node &sub = rows.last();
    QCOMPARE(m_atspi->name(sub), QStringLiteral("sous-dossier"));
    QCOMPARE(m_atspi->property(sub, "Description"), QStringLiteral("niveau %1").arg(rows.size()));
    QCOMPARE(m_atspi->property(shown, "Description"),
             QStringLiteral("niveau %1").arg(rows.size() - 1));
    QVERIFY(m_atspi->hasState(sub, Expandable) && m_atspi->hasState(sub, Collapsed));
    QVERIFY(!m_atspi->hasState(sub, Expanded));
    QVERIFY(m_atspi->hasState(shown, Expanded) && !m_atspi->hasState(shown, Collapsed));
}

void TestAtSpi::errorBoxThroughOk() {
    QDBusPendingCall pressed = m_atspi->act(m_controls.value(5), QStringLiteral("Press"));
    auto isBox = [&](const Node &n) { return m_atspi->name(n) == QStringLiteral("Erreur"); };
    std::optional<Node> box;
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     for (const Node &top : m_atspi->children(m_app))
                         if (isBox(top))
                             box = top;
                     return box.has_value();
                 },
                 20000),
             "no \"Erreur\" box appeared");
    QCOMPARE(m_atspi->role(*box), QStringLiteral("alert message"));
    QVERIFY2(m_atspi->find(*box, [&](const Node &n) { return m_atspi->name(n) == Message; }),
             "the box does not say its message");
    const auto ok = m_atspi->find(*box, [&](const Node &n) {
        return m_atspi->role(n) == QStringLiteral("push button") && m_atspi->name(n) == "OK";
    });
    QVERIFY(ok);
    QDBusPendingReply<bool> closed = m_atspi->act(*ok, QStringLiteral("Press"));
    closed.waitForFinished();
    QVERIFY2(closed.isValid() && closed.value(), qPrintable(closed.error().message()));
    QDBusPendingReply<bool> pressedReply(pressed);
    pressedReply.waitForFinished();
    QVERIFY(pressedReply.isValid() && pressedReply.value());
    QTRY_VERIFY(std::ranges::none_of(m_atspi->children(m_app), isBox));
}

void TestAtSpi::fermerEndsProgram() {
    m_atspi->act(m_controls.value(4), QStringLiteral("Press"));
    QVERIFY(m_program.waitForFinished(20000));
    QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestAtSpi)
#include "tst_atspi.moc"
