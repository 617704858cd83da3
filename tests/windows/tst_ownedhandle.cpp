// The owner of the system's handles: a file opened for this process alone stays held exactly
// as long as one owner has its handle, and is free again once that owner goes; a handle moved
// on is closed once, by its last owner, never by the one it left.

#include "platform/files/windows/ownedhandle.h"

#include "support/plain/check.h"
#include "support/windows/winfixture.h"

#include <windows.h>

#include <optional>
#include <type_traits>

using quervelle::plain::Check;
using quervelle::windows::OwnedHandle;
using namespace quervelle::wintest;

static_assert(!std::is_copy_constructible_v<OwnedHandle> && !std::is_copy_assignable_v<OwnedHandle>,
              "a copied owner would close its handle twice");

namespace {

// Opened for this process alone: no one else may open it while the handle is open.
HANDLE openAlone(const std::wstring &path) {
    return ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool held(const std::wstring &path) {
    const HANDLE again = openAlone(path);
    if (again == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(again);
    return false;
}

struct HandleRow {
    std::string name;
    char how; // 'g' the owner goes, 'm' moved to a second owner, 'a' assigned over, 'r' reset
};

const std::vector<HandleRow> handleRows = {
    {"closed when its owner goes", 'g'},
    {"moved: held until the new owner goes", 'm'},
    {"assigned over: the handle it held is closed at once", 'a'},
    {"reset: closed at once, once", 'r'},
};

void eachHandle(Check &check, const HandleRow &row) {
    TempFolder tmp;
    const std::wstring first = tmp.at(L"premier");
    const std::wstring second = tmp.at(L"second");
    check.that(make(first) && make(second), "files made");
    std::optional<OwnedHandle> owner(std::in_place, openAlone(first));
    check.that(owner->valid(), "opened");
    check.that(held(first), "held while owned");
    switch (row.how) {
    case 'g':
        owner.reset();
        check.that(!held(first), "free once the owner is gone");
        break;
    case 'm': {
        std::optional<OwnedHandle> next(std::in_place, std::move(*owner));
        check.that(!owner->valid(), "the first owner holds nothing");
        owner.reset();
        check.that(held(first), "still held by the new owner");
        next.reset();
        check.that(!held(first), "free once the new owner is gone");
        break;
    }
    case 'a': {
        OwnedHandle other(openAlone(second));
        check.that(held(second), "the second file held");
        other = std::move(*owner);
        check.that(!held(second), "the handle assigned over is closed");
        check.that(held(first), "the first still held, by its new owner");
        owner.reset();
        check.that(held(first), "still held after the first owner goes");
        break;
    }
    case 'r':
        owner->reset();
        check.that(!owner->valid() && !held(first), "free after reset");
        owner->reset(); // nothing left to close
        owner.reset();
        check.that(!held(first), "still free");
        break;
    }
}

[[maybe_unused]] const bool registered =
    quervelle::plain::addTable("ownedHandle", handleRows, eachHandle);

} // namespace
