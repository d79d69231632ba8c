#include "platform/qt/qt_calendar.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include "platform/qt/utf8.h"

namespace kestrin {

namespace {

// The locale's long time format without its time-zone field ("t"), e.g. "HH:mm:ss t"
// becomes "HH:mm:ss". Quoted literal text is kept as it is.
QString timeWithoutZone(const QString& format) {
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && c == QLatin1Char('t')) continue;
        result += c;
    }
    return result.simplified();
}

}  // namespace

std::string QtCalendar::nowText() {
    const QLocale locale = QLocale::system();
    const QString format = locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') +
                           timeWithoutZone(locale.timeFormat(QLocale::LongFormat));
    return toStdString(locale.toString(QDateTime::currentDateTime(), format));
}

}  // namespace kestrin
