#include "platform/controls/startlisting.h"

#include "platform/controls/nameorder.h"
#include "platform/controls/namesort.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace quervelle {

namespace {

// So many file names go to the keys at a time while the folder is read.
constexpr std::size_t batchSize = 4096;

// The bytes of a name, about, for the room made before reading.
constexpr std::size_t averageNameBytes = 24;

// About how many names a folder holds, from the size the file system gives it: on most, some
// tens of bytes a name. Only a hint: too few means growing, too many only address space.
std::size_t expectedNames(const std::string &folder) {
    const std::uintmax_t size = folderSize(folder);
    return static_cast<std::size_t>(std::min<std::uintmax_t>(size / 32, std::uintmax_t(1) << 24));
}

// Makes the keys of the batches handed to it on a thread of its own, while the folder is still
// being read; without a thread to be had, as each batch is handed over.
class Keyer {
public:
    explicit Keyer(BatchSort &sort) : m_sort(sort) {
        try {
            m_thread = std::thread([this] { work(); });
        } catch (const std::system_error &) {
        }
    }
    ~Keyer() { stop(); }
    Keyer(const Keyer &) = delete;
    Keyer &operator=(const Keyer &) = delete;

    void push(NameList batch) {
        if (!m_thread.joinable()) {
            m_sort.add(std::move(batch));
            return;
        }
        {
            const std::lock_guard lock(m_mutex);
            m_batches.push_back(std::move(batch));
        }
        m_ready.notify_one();
    }

    // Waits until every batch handed over has its keys; rethrows what stopped the thread.
    void finish() {
        stop();
        if (m_failure)
            std::rethrow_exception(std::exchange(m_failure, nullptr));
    }

private:
    void stop() {
        if (!m_thread.joinable())
            return;
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_ready.notify_one();
        m_thread.join();
    }

    void work() {
        try {
            while (true) {
                NameList batch;
                {
                    std::unique_lock lock(m_mutex);
                    m_ready.wait(lock, [this] { return m_done || !m_batches.empty(); });
                    if (m_batches.empty())
                        return;
                    batch = std::move(m_batches.front());
                    m_batches.pop_front();
                }
                m_sort.add(std::move(batch));
            }
        } catch (...) {
            m_failure = std::current_exception();
        }
    }

    BatchSort &m_sort;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<NameList> m_batches;
    bool m_done = false;
    std::exception_ptr m_failure;
    std::thread m_thread;
};

} // namespace

StartListing::StartListing(std::string folder) : m_folder(std::move(folder)) {
    try {
        m_reader = std::thread([this] { read(); });
    } catch (const std::system_error &) {
        read(); // no thread to be had: read it here and now
    }
}

StartListing::~StartListing() {
    if (m_reader.joinable())
        m_reader.join();
}

void StartListing::read() noexcept {
    try {
        m_lists.files.folder = m_lists.folders.folder = m_folder;
        NameOrder order;
        BatchSort files(order);
        // Room made at once, as the folder's size suggests, rather than by growing copy after
        // copy: on a large folder that copying, and the memory it touches, cost as much as a
        // good part of the sort.
        const std::size_t expected = expectedNames(m_folder);
        files.reserve(expected, expected * averageNameBytes);
        std::error_code error;
        {
            Keyer keyer(files);
            const auto freshBatch = [] {
                NameList batch;
                batch.reserve(batchSize, batchSize * averageNameBytes);
                return batch;
            };
            NameList batch = freshBatch();
            FolderReading into;
            into.files = &batch;
            into.folders = &m_lists.folders.names;
            into.batch = batchSize;
            into.batchFull = [&](NameList &full) { keyer.push(std::exchange(full, freshBatch())); };
            error = readFolder(m_folder, into);
            keyer.push(std::move(batch));
            keyer.finish();
        }
        m_lists.files.error = m_lists.folders.error = error;
        if (error) {
            m_lists.folders.names.clear();
            return;
        }
        m_lists.files.names = files.take();
        NameOrder helper;
        sortNames(m_lists.folders.names, order, &helper);
    } catch (...) {
        m_failure = std::current_exception();
    }
}

StartListing::Lists StartListing::take() {
    if (m_reader.joinable())
        m_reader.join();
    if (m_taken)
        throw std::logic_error("the start folder's listing is taken once");
    m_taken = true;
    if (m_failure)
        std::rethrow_exception(m_failure);
    return std::move(m_lists);
}

} // namespace quervelle
