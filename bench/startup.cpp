#include "startup.h"

#include "support/xvfb.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <map>
#include <stdexcept>

#include <poll.h>

namespace bench {

struct StartupClock::Private {
    quervelle::test::XvfbServer server;
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = XCB_NONE;
    xcb_damage_damage_t damage = XCB_NONE; // on the root window: any drawing on the screen
    std::uint8_t damageNotify = 0;

    ~Private() {
        if (connection)
            xcb_disconnect(connection);
    }

    // Drawing reported from now on only: what was drawn is forgotten, and the next drawing
    // raises one event.
    void forgetDrawing() const {
        xcb_damage_subtract(connection, damage, XCB_NONE, XCB_NONE);
        xcb_flush(connection);
    }

    // Lets the server finish what was asked so far, then drops every event waiting.
    void settle() const {
        forgetDrawing();
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection))
            std::free(event);
    }
};

StartupClock::StartupClock() : d(std::make_unique<Private>()) {
    if (!d->server.start())
        throw std::runtime_error(d->server.error().toStdString());
    int screenNumber = 0;
    d->connection = xcb_connect(d->server.display().toLatin1().constData(), &screenNumber);
    if (xcb_connection_has_error(d->connection))
        throw std::runtime_error("cannot connect to the private X server");
    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(d->connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screen);
    d->root = screen.data->root;
    const xcb_query_extension_reply_t *damage =
        xcb_get_extension_data(d->connection, &xcb_damage_id);
    if (!damage || !damage->present)
        throw std::runtime_error("the X server has no DAMAGE extension");
    d->damageNotify = std::uint8_t(damage->first_event + XCB_DAMAGE_NOTIFY);
    std::free(xcb_damage_query_version_reply(
        d->connection, xcb_damage_query_version(d->connection, 1, 1), nullptr));
    const std::uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY; // windows made and mapped
    xcb_change_window_attributes(d->connection, d->root, XCB_CW_EVENT_MASK, &events);
    d->damage = xcb_generate_id(d->connection);
    xcb_damage_create(d->connection, d->damage, d->root, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    d->settle();
}

StartupClock::~StartupClock() = default;

StartupClock::Start StartupClock::measure(const QString &program, const QStringList &arguments,
                                          const QString &folder) {
    d->settle();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
    environment.insert(QStringLiteral("DISPLAY"), d->server.display());
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());

    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForStarted())
        throw std::runtime_error(program.toStdString() + ": " +
                                 process.errorString().toStdString());
    const QDeadlineTimer deadline(60'000);
    std::map<xcb_window_t, QSize> made;
    bool mapped = false;
    Start start;
    while (true) {
        pollfd watched{xcb_get_file_descriptor(d->connection), POLLIN, 0};
        ::poll(&watched, 1, 20);
        while (xcb_generic_event_t *event = xcb_poll_for_event(d->connection)) {
            const int type = event->response_type & 0x7F;
            if (type == XCB_CREATE_NOTIFY) {
                const auto *created = reinterpret_cast<xcb_create_notify_event_t *>(event);
                made[created->window] = QSize(created->width, created->height);
            } else if (type == XCB_MAP_NOTIFY && !mapped) {
                mapped = true;
                start.windowSize = made[reinterpret_cast<xcb_map_notify_event_t *>(event)->window];
            } else if (type == d->damageNotify) {
                // Before the map it is the screen repainted where the last program's window
                // was; after it, the program's first paint.
                if (mapped && start.milliseconds == 0)
                    start.milliseconds = double(clock.nsecsElapsed()) / 1e6;
                d->forgetDrawing();
            }
            std::free(event);
        }
        if (start.milliseconds > 0)
            break;
        if (xcb_connection_has_error(d->connection))
            throw std::runtime_error("lost the private X server");
        if (process.state() == QProcess::NotRunning || process.waitForFinished(0))
            throw std::runtime_error(program.toStdString() + " ended without showing a window");
        if (deadline.hasExpired()) {
            process.kill();
            process.waitForFinished();
            throw std::runtime_error(program.toStdString() + " showed no window in a minute");
        }
    }
    process.kill();
    process.waitForFinished();
    return start;
}

} // namespace bench
