#pragma once

#include "platform/platform.h"

#include <string>

class QLocale;
class QString;

namespace quervelle {

// The locale's short date and its time with seconds, e.g. "dd/MM/yyyy HH:mm:ss" in French. A
// two-digit year is widened to four digits so that 1950 and 2050 stay apart.
QString dateTimeFormat(const QLocale &locale);

// A file date in local time, in the locale's format above, as UTF-8.
std::string dateText(FileDate date, const QLocale &locale);

} // namespace quervelle
