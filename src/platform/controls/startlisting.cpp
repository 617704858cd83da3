#include "platform/controls/startlisting.h"

#include "platform/controls/nameorder.h"
#include "platform/controls/namesort.h"

#include <stdexcept>
#include <system_error>
#include <utility>

namespace quervelle {

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
        FolderReading into;
        into.files = &m_lists.files.names;
        into.folders = &m_lists.folders.names;
        const int error = readFolder(m_folder, into);
        m_lists.files.error = m_lists.folders.error = error;
        if (error != 0) {
            m_lists.files.names.clear();
            m_lists.folders.names.clear();
            return;
        }
        const NameOrder order;
        const NameOrder helper;
        sortNames(m_lists.files.names, order, &helper);
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
