#pragma once

// Folder reads off the window's thread. A list that reads a folder hands the reading (and the
// sort) to a worker thread and waits for it; its property writes still return only once the
// names are in place, so the handlers above see no difference. While it waits, the window's
// thread paints and answers the system, but holds the user's input (mouse, keys, wheel, closing
// the window) and delivers it, in order, once the read is over; Escape stops the read instead.
// Past about 300 ms the busy cursor shows, and the list says how many names it has read.

#include "platform/controls/nameorder.h"
#include "platform/files/directoryreader.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

class QAbstractScrollArea;

namespace quervelle {

class PatternMatcher;

// One piece of work for a worker thread. run() counts what it has read in seen, and gives up
// (throwing ReadStopped) soon after stop turns true; nothing it uses may belong to the waiting
// list, since a stopped task is left to end on its own.
class WorkerTask {
public:
    virtual ~WorkerTask() = default;
    virtual void run(const std::atomic<bool> &stop, std::atomic<std::size_t> &seen) = 0;
};

// Runs task on a worker thread while this thread waits as said above; the sign of life is drawn
// in list. Rethrows what task threw. Throws ReadStopped when the user pressed Escape (the task
// then goes on alone until it notices), and at once, without running task, when a read of the
// same user action was stopped already (see ActionScope). Away from the window's thread, or
// inside another wait, task simply runs here.
void waitForWorker(QAbstractScrollArea *list, const std::shared_ptr<WorkerTask> &task);

// The order of one list and what its sorts keep, shared with a stopped read that may still be
// sorting on its thread when the list reads again.
struct ListOrder {
    std::mutex sorting;
    NameOrder order;
    NameOrder helper; // for the sort's second thread
};

// Reads folder for list as above, keeping the entries of that kind that match pattern (all when
// null), and puts them in list order. A folder that cannot be read gives its error number and no
// names.
ReadyListing readForList(QAbstractScrollArea *list, const std::string &folder, EntryKind kind,
                         const PatternMatcher *pattern, const std::shared_ptr<ListOrder> &order);

// One user action (an event and the events nested in it). While one lives, a read the user
// stopped stops every later read of the action at once, so both lists take the folder empty and
// the action ends without reading it again; when the outermost goes, the stop is forgotten.
// Without one, a stop holds for that one read.
class ActionScope {
public:
    ActionScope();
    ~ActionScope();
    ActionScope(const ActionScope &) = delete;
    ActionScope &operator=(const ActionScope &) = delete;
};

} // namespace quervelle
