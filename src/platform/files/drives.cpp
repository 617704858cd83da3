#include "platform/files/drives.h"

namespace quervelle {

namespace {

std::string withLabel(std::string text, const std::string &label) {
    if (!label.empty())
        text += " [" + label + "]";
    return text;
}

} // namespace

std::string driveText(const Drive &drive, char separator) {
    if (separator != '\\' || drive.root.empty())
        return drive.root;
    const char letter = drive.root[0];
    const char lower =
        letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
    return withLabel(std::string{lower, ':'}, drive.label);
}

std::string driveLine(const Drive &drive, char separator) {
    if (separator == '\\')
        return driveText(drive, separator);
    return withLabel(drive.root, drive.label);
}

} // namespace quervelle
