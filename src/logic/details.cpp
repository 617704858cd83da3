#include "logic/handlers.h"
#include "logic/rules.h"
#include "platform/platform.h"

#include <string>

namespace quervelle {

void Handlers::fileClicked() {
    // The path is composed before the drive test, so the lists are read even when nothing is shown.
    const std::string path = composeSelectedFilePath(m_platform, DetailsRootSet);
    if (!mayShowDetails(m_platform))
        return; // first or last drive: the boxes keep what they held

    // Emptied first: a read that fails must not leave another file's date or size beside this
    // file's selection.
    m_platform.setText(TextBox::Text2, std::string());
    m_platform.setText(TextBox::Text3, std::string());

    const FileDate date = m_platform.fileDateTime(path);
    m_platform.setText(TextBox::Text2, m_platform.dateToText(date));

    // The whole 64-bit length, so files of 2 GiB and more show their true size.
    const std::int64_t length = m_platform.fileLen(path);
    m_platform.setText(TextBox::Text3, std::to_string(length));
}

} // namespace quervelle
