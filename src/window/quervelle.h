#pragma once

// The one window of the program. It holds the fifteen controls at their design positions
// (in twips, 15 to a pixel at 96 dots per inch; Qt's high-DPI scaling does the rest), paints
// the brushed-metal background, and binds the ten handled control events to the handlers
// (wiring.h). Data flows one way: a control event runs a handler, the handler reads and writes
// the controls through QtPlatform, and the window itself keeps nothing but the two window
// variables. No handler runs at start: the three lists are set to the start folder before the
// events are bound; the folder is read once for both lists, on a thread of its own while the
// window is being made (startlisting.h). Every event runs inside one error boundary
// (wiring.h), so that a failure met by an event and by the event nested in it is shown once.
// The drives are read at start and again each time the user opens the drive list. What the
// window tells assistive technology is added by accessibleinterfaces.h and accessibility.h.

#include "logic/windowvariables.h"
#include "platform/files/drives.h"

#include <QImage>
#include <QMetaObject>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quervelle {

class Dialogs;
class EventBoundary;
class Handlers;
class QtPlatform;
class StartListing;
class WindowAccessibility;
struct WiringRow;
namespace test {
class HandlerProbe;
}

// The folder the program was started in, its reading begun; none when that folder cannot be
// known.
std::unique_ptr<StartListing> readStartFolder();

class Quervelle final : public QWidget {
    Q_OBJECT
public:
    // The real window: its dialogs are Qt's message and input boxes.
    explicit Quervelle(QWidget *parent = nullptr);
    // The window with other dialogs (tests answer them from a script).
    explicit Quervelle(std::unique_ptr<Dialogs> dialogs, QWidget *parent = nullptr);
    // The real window, with the start folder's reading begun before the application was made.
    explicit Quervelle(std::unique_ptr<StartListing> start, QWidget *parent = nullptr);
    ~Quervelle() override;

    const WindowVariables &variables() const { return m_variables; }
    // The errors met while the lists were set at start; shown once the window is first shown.
    const std::vector<std::string> &startErrors() const { return m_startErrors; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Tests see which handlers run, and how many have run, through this friend alone.
    friend class test::HandlerProbe;

    Quervelle(std::unique_ptr<Dialogs> dialogs, std::unique_ptr<StartListing> start,
              QWidget *parent);
    void createControls();
    void chainTabOrder();
    void startLists(std::unique_ptr<StartListing> start);
    void giveDrives(std::vector<Drive> drives);
    void readDrivesAgain();
    void bindEvents();
    void run(const WiringRow &row);
    void reportStartErrors();

    WindowVariables m_variables;
    std::unique_ptr<Dialogs> m_dialogs;
    std::unique_ptr<QtPlatform> m_platform;
    std::unique_ptr<Handlers> m_handlers;
    std::unique_ptr<EventBoundary> m_boundary;
    std::unique_ptr<WindowAccessibility> m_accessibility; // goes before the controls do
    std::vector<QMetaObject::Connection> m_bindings;
    std::vector<std::string> m_startErrors;
    std::string m_drivesUnread; // why the drives could not be read last time; empty after a read
    bool m_startErrorsShown = false;
    int m_handlersRun = 0;
    std::function<void(std::string_view handler)> m_handlerStarting;
    QImage m_background;
};

} // namespace quervelle
