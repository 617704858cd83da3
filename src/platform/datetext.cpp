#include "platform/datetext.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace quervelle {

namespace {

// Lengthens every run of exactly two 'y' to four, outside quoted literal text.
QString withFullYear(const QString &format) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
            out += c;
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run) == c)
            ++run;
        out += (!quoted && c == u'y' && run == 2) ? QStringLiteral("yyyy") : format.mid(i, run);
        i += run;
    }
    return out;
}

// The locale's short time with the seconds added after the minutes, with the same separator
// as between hours and minutes ("HH:mm" -> "HH:mm:ss", "h:mm AP" -> "h:mm:ss AP").
QString timeWithSeconds(const QString &shortTime) {
    if (shortTime.contains(u's'))
        return shortTime;
    const qsizetype minutes = shortTime.indexOf(QStringLiteral("mm"));
    if (minutes < 0)
        return shortTime + QStringLiteral(":ss");
    const QChar separator = minutes > 0 ? shortTime.at(minutes - 1) : QChar(u':');
    const bool plainSeparator = separator != u'h' && separator != u'H' && separator != u'\'';
    QString out = shortTime;
    out.insert(minutes + 2,
               QString(plainSeparator ? separator : QChar(u':')) + QStringLiteral("ss"));
    return out;
}

} // namespace

QString dateTimeFormat(const QLocale &locale) {
    return withFullYear(locale.dateFormat(QLocale::ShortFormat)) + u' ' +
           timeWithSeconds(locale.timeFormat(QLocale::ShortFormat));
}

std::string dateText(FileDate date, const QLocale &locale) {
    const QDateTime when = QDateTime::fromSecsSinceEpoch(date.secondsSinceEpoch, Qt::LocalTime);
    return locale.toString(when, dateTimeFormat(locale)).toUtf8().toStdString();
}

} // namespace quervelle
