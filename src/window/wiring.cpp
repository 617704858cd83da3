#include "window/wiring.h"

#include "logic/handlers.h"
#include "platform/controls/folderwait.h"
#include "platform/dialogs.h"
#include "platform/files/errors.h"

#include <algorithm>
#include <array>
#include <exception>

namespace quervelle {

namespace {

constexpr std::array<WiringRow, 10> Table{{
    {"Drive1", "Change", "driveChanged", &Handlers::driveChanged},
    {"Dir1", "Change", "folderChanged", &Handlers::folderChanged},
    {"Command2", "Click", "applyFilter", &Handlers::applyFilter},
    {"File1", "LostFocus", "fileListLeft", &Handlers::fileListLeft},
    {"File1", "Click", "fileClicked", &Handlers::fileClicked},
    {"Command1", "Click", "close", &Handlers::close},
    {"Command3", "Click", "deleteFile", &Handlers::deleteFile},
    {"Command4", "Click", "createFolder", &Handlers::createFolder},
    {"Command5", "Click", "runFile", &Handlers::runFile},
    {"Command6", "Click", "removeFolder", &Handlers::removeFolder},
}};

} // namespace

std::span<const WiringRow> wiringTable() {
    return Table;
}

std::string uncaughtErrorMessage(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const PlatformError &e) {
        return e.what();
    } catch (const OverflowError &e) {
        return e.what();
    } catch (const std::bad_alloc &) {
        return "Mémoire insuffisante";
    } catch (const std::exception &e) {
        return std::string("Erreur inattendue : ") + e.what();
    } catch (...) {
        return "Erreur inattendue";
    }
}

bool EventBoundary::run(const std::function<void()> &body) {
    struct Nesting {
        EventBoundary &boundary;
        explicit Nesting(EventBoundary &b) : boundary(b) { ++boundary.m_depth; }
        ~Nesting() {
            if (--boundary.m_depth == 0)
                boundary.m_shown.clear();
        }
        Nesting(const Nesting &) = delete;
        Nesting &operator=(const Nesting &) = delete;
    } nesting(*this);
    const ActionScope action; // a read stopped by the user stops the rest of the action too

    std::string message;
    try {
        body();
        return true;
    } catch (const ReadStopped &) {
        return false; // the user asked for it: no box
    } catch (...) {
        message = uncaughtErrorMessage(std::current_exception());
    }
    // Shown outside the catch block, so that the exception is not held while the box is open.
    if (std::find(m_shown.begin(), m_shown.end(), message) == m_shown.end()) {
        m_shown.push_back(message);
        m_dialogs.uncaughtError(message);
    }
    return false;
}

bool runAtBoundary(Dialogs &dialogs, const std::function<void()> &body) {
    EventBoundary boundary(dialogs);
    return boundary.run(body);
}

} // namespace quervelle
