#include "window/wiring.h"

#include "logic/handlers.h"
#include "platform/dialogs.h"
#include "platform/files/errors.h"

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

bool runAtBoundary(Dialogs &dialogs, const std::function<void()> &body) {
    std::exception_ptr error;
    try {
        body();
    } catch (...) {
        error = std::current_exception();
    }
    if (!error)
        return true;
    // Shown outside the catch block, so that the exception is not held while the box is open.
    dialogs.uncaughtError(uncaughtErrorMessage(error));
    return false;
}

} // namespace quervelle
