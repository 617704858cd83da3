#include "platform/controls/folderwait.h"

#include "platform/controls/namesort.h"
#include "platform/files/errors.h"
#include "platform/files/pattern.h"

#include <QAbstractEventDispatcher>
#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace quervelle {

namespace {

using namespace std::chrono_literals;

// A read that ends within this is waited for without processing any event, as a read on the
// window's own thread would be: most local folders, and nothing about them changes.
constexpr auto quietWait = 30ms;
// Past this the user sees that the program is reading, and how far it got.
constexpr auto signOfLifeAfter = 300ms;
constexpr auto signOfLifeEvery = 100ms;

// The state of the window's thread; touched on that thread only.
bool g_waiting = false;       // a read is being waited for
int g_actionScopes = 0;       // ActionScope objects alive
bool g_actionStopped = false; // the user stopped a read of the action under way

bool onWindowThread() {
    const QCoreApplication *app = QCoreApplication::instance();
    return qobject_cast<const QGuiApplication *>(app) && QThread::currentThread() == app->thread();
}

bool isEscape(const QEvent *event) {
    return static_cast<const QKeyEvent *>(event)->key() == Qt::Key_Escape;
}

// The user's input while a read is waited for: held, then delivered in the order it came once
// the waiting is over, from the event loop the program then returns to (so after the handler
// that read). Input that comes while held input is still being delivered queues behind it.
class InputQueue final : public QObject {
public:
    static InputQueue &instance() {
        static QPointer<InputQueue> queue;
        if (!queue)
            queue = new InputQueue(QCoreApplication::instance());
        return *queue;
    }

    void beginWait() {
        if (m_waits++ == 0)
            m_escape = false;
        filter(true);
    }

    void endWait() {
        if (--m_waits == 0)
            deliverLater();
    }

    bool escapePressed() const { return m_escape; }

protected:
    bool eventFilter(QObject *target, QEvent *event) override {
        const QEvent::Type type = event->type();
        if (!isInput(event))
            return false;
        const bool holding = m_waits > 0 || (!m_held.empty() && m_delivering == 0);
        if (!holding)
            return false;
        if (m_waits > 0 &&
            (type == QEvent::KeyPress || type == QEvent::KeyRelease ||
             type == QEvent::ShortcutOverride) &&
            isEscape(event)) {
            if (type == QEvent::KeyPress)
                m_escape = true;
            event->accept();
            return true;
        }
        if (type == QEvent::ShortcutOverride) {
            // Claimed by the focus, so that no shortcut acts now; the key itself is held.
            event->accept();
            return true;
        }
        m_held.push_back({target, std::unique_ptr<QEvent>(event->clone())});
        return true;
    }

    void customEvent(QEvent *event) override {
        if (event->type() != deliverEvent())
            return;
        m_deliveryPosted = false;
        if (m_waits > 0)
            return; // the wait under way delivers when it ends
        if (m_held.empty()) {
            filter(false);
            return;
        }
        Held next = std::move(m_held.front());
        m_held.pop_front();
        if (next.target) {
            ++m_delivering;
            QCoreApplication::sendEvent(next.target, next.event.get());
            --m_delivering;
        }
        deliverLater();
    }

private:
    struct Held {
        QPointer<QObject> target;
        std::unique_ptr<QEvent> event;
    };

    using QObject::QObject;

    static QEvent::Type deliverEvent() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

    static bool isInput(const QEvent *event) {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::NonClientAreaMouseMove:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::ContextMenu:
            return true;
        case QEvent::Close: // the window closed from its frame
            return event->spontaneous();
        default:
            return false;
        }
    }

    void deliverLater() {
        if (m_held.empty()) {
            if (m_waits == 0 && m_delivering == 0)
                filter(false);
            return;
        }
        if (!m_deliveryPosted) {
            m_deliveryPosted = true;
            QCoreApplication::postEvent(this, new QEvent(deliverEvent()));
        }
    }

    void filter(bool on) {
        if (on == m_filtering)
            return;
        m_filtering = on;
        if (on)
            QCoreApplication::instance()->installEventFilter(this);
        else
            QCoreApplication::instance()->removeEventFilter(this);
    }

    std::deque<Held> m_held;
    int m_waits = 0;
    int m_delivering = 0;
    bool m_escape = false;
    bool m_filtering = false;
    bool m_deliveryPosted = false;
};

// Past signOfLifeAfter: the busy cursor, and in the list the count of names read so far.
class SignOfLife {
public:
    SignOfLife(QAbstractScrollArea *list, const std::atomic<std::size_t> &seen,
               const QElapsedTimer &clock)
        : m_list(list), m_seen(seen), m_clock(clock) {
        m_timer.setInterval(signOfLifeEvery);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start();
    }
    ~SignOfLife() {
        delete m_label;
        if (m_cursor)
            QGuiApplication::restoreOverrideCursor();
    }
    SignOfLife(const SignOfLife &) = delete;
    SignOfLife &operator=(const SignOfLife &) = delete;

private:
    void tick() {
        if (std::chrono::milliseconds(m_clock.elapsed()) < signOfLifeAfter)
            return;
        if (!m_cursor) {
            QGuiApplication::setOverrideCursor(Qt::BusyCursor);
            m_cursor = true;
        }
        if (!m_list)
            return;
        if (!m_label) {
            m_label = new QLabel(m_list->viewport());
            m_label->setObjectName(QStringLiteral("readingNotice"));
            m_label->setAlignment(Qt::AlignCenter);
            m_label->setWordWrap(true);
            m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
            m_label->setGeometry(m_list->viewport()->rect());
            m_label->show();
        }
        const auto seen = static_cast<qulonglong>(m_seen.load(std::memory_order_relaxed));
        // The count written as the rest of the notice, in French, whatever the system's language.
        m_label->setText(QStringLiteral("Lecture du dossier…\n%1 noms lus\n(Échap pour arrêter)")
                             .arg(QLocale(QLocale::French).toString(seen)));
    }

    QPointer<QAbstractScrollArea> m_list;
    const std::atomic<std::size_t> &m_seen;
    const QElapsedTimer &m_clock;
    QTimer m_timer;
    QPointer<QLabel> m_label;
    bool m_cursor = false;
};

// What the window's thread and the worker share; the worker keeps it alive after a stop.
struct Handover {
    std::shared_ptr<WorkerTask> task;
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> seen{0};
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;                              // under mutex
    bool waking = false;                            // under mutex: wake the window's thread
    QAbstractEventDispatcher *dispatcher = nullptr; // the window thread's, alive while waking
    std::exception_ptr failure;

    void work() {
        try {
            task->run(stop, seen);
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard lock(mutex);
        done = true;
        if (waking && dispatcher)
            dispatcher->wakeUp();
        finished.notify_all();
    }

    bool isDone() {
        const std::lock_guard lock(mutex);
        return done;
    }
};

void runHere(WorkerTask &task) {
    const std::atomic<bool> stop{false};
    std::atomic<std::size_t> seen{0};
    task.run(stop, seen);
}

// Waits for the worker while painting and answering the system. False when the user stopped it.
bool waitAlive(QAbstractScrollArea *list, Handover &handover, const QElapsedTimer &clock) {
    InputQueue &input = InputQueue::instance();
    struct Waiting {
        Handover &handover;
        InputQueue &input;
        Waiting(Handover &h, InputQueue &i) : handover(h), input(i) {
            g_waiting = true;
            input.beginWait();
            const std::lock_guard lock(handover.mutex);
            handover.waking = true;
        }
        ~Waiting() {
            {
                const std::lock_guard lock(handover.mutex);
                handover.waking = false;
            }
            g_waiting = false;
            input.endWait();
        }
        Waiting(const Waiting &) = delete;
        Waiting &operator=(const Waiting &) = delete;
    } waiting(handover, input);
    const SignOfLife signOfLife(list, handover.seen, clock);
    QEventLoop loop;
    while (!handover.isDone()) {
        if (input.escapePressed()) {
            handover.stop = true;
            return false;
        }
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Reads a folder for a list, and sorts it, with nothing of the list's but its order.
class ListingTask final : public WorkerTask {
public:
    ListingTask(std::string folder, EntryKind kind, const PatternMatcher *pattern,
                std::shared_ptr<ListOrder> order)
        : m_kind(kind), m_order(std::move(order)) {
        m_listing.folder = std::move(folder);
        if (pattern)
            m_pattern = *pattern;
    }

    void run(const std::atomic<bool> &stop, std::atomic<std::size_t> &seen) override {
        NameList &names = m_listing.names;
        m_listing.error = readFolder(m_listing.folder, m_kind, m_pattern ? &*m_pattern : nullptr,
                                     names, [&](std::size_t entries) {
                                         seen.store(entries, std::memory_order_relaxed);
                                         if (stop.load(std::memory_order_relaxed))
                                             throw ReadStopped();
                                     });
        if (m_listing.error) {
            names.clear();
        } else {
            const std::lock_guard lock(m_order->sorting);
            if (stop.load())
                throw ReadStopped();
            sortNames(names, m_order->order, &m_order->helper);
        }
        names.shrinkToFit();
    }

    ReadyListing take() { return std::move(m_listing); }

private:
    EntryKind m_kind;
    std::optional<PatternMatcher> m_pattern;
    std::shared_ptr<ListOrder> m_order;
    ReadyListing m_listing;
};

} // namespace

void waitForWorker(QAbstractScrollArea *list, const std::shared_ptr<WorkerTask> &task) {
    if (!onWindowThread() || g_waiting) {
        runHere(*task);
        return;
    }
    if (g_actionStopped)
        throw ReadStopped();
    QElapsedTimer clock;
    clock.start();
    const auto handover = std::make_shared<Handover>();
    handover->task = task;
    handover->dispatcher = QAbstractEventDispatcher::instance();
    std::thread worker;
    try {
        worker = std::thread([handover] { handover->work(); });
    } catch (const std::system_error &) {
        runHere(*task); // no thread to be had
        return;
    }
    bool done = false;
    {
        std::unique_lock lock(handover->mutex);
        done = handover->finished.wait_for(lock, quietWait, [&] { return handover->done; });
    }
    if (!done && !waitAlive(list, *handover, clock)) {
        worker.detach(); // it ends on its own, soon after it sees the stop
        if (g_actionScopes > 0)
            g_actionStopped = true;
        throw ReadStopped();
    }
    worker.join();
    if (handover->failure)
        std::rethrow_exception(handover->failure);
}

ReadyListing readForList(QAbstractScrollArea *list, const std::string &folder, EntryKind kind,
                         const PatternMatcher *pattern, const std::shared_ptr<ListOrder> &order) {
    const auto task = std::make_shared<ListingTask>(folder, kind, pattern, order);
    waitForWorker(list, task);
    return task->take();
}

ActionScope::ActionScope() {
    ++g_actionScopes;
}

ActionScope::~ActionScope() {
    if (--g_actionScopes == 0)
        g_actionStopped = false;
}

} // namespace quervelle
