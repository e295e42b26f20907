#include "LocalClock.h"

#include <utility>

namespace quillon {

namespace {

const QString fixedFormat = QStringLiteral("HH:mm:ss");

struct Fields {
    bool hours = false;
    bool minutes = false;
    bool seconds = false;
    bool zone = false;
    bool date = false;
};

// Which fields a Qt time format shows. Text between single quotes is literal ("'h'" in
// "HH 'h' mm" is not an hour), so quoted runs are skipped; a doubled quote only toggles twice.
Fields fieldsOf(const QString& format) {
    Fields fields;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted) {
            continue;
        }
        switch (c.unicode()) {
        case u'h':
        case u'H':
            fields.hours = true;
            break;
        case u'm':
            fields.minutes = true;
            break;
        case u's':
            fields.seconds = true;
            break;
        case u't':
            fields.zone = true;
            break;
        case u'd':
        case u'M':
        case u'y':
            fields.date = true;
            break;
        default:
            break;
        }
    }
    return fields;
}

} // namespace

LocalClock::LocalClock(TimeSource source) : LocalClock(std::move(source), QLocale::system()) {}

LocalClock::LocalClock(TimeSource source, QLocale locale)
    : source_(std::move(source)), locale_(std::move(locale)) {}

LocalClock::LocalClock(TimeSource source, QLocale locale, QString longTimeFormat)
    : source_(std::move(source)), locale_(std::move(locale)),
      longTimeFormat_(std::move(longTimeFormat)) {}

QString LocalClock::displayFormat(const QString& longTimeFormat) {
    const Fields fields = fieldsOf(longTimeFormat);
    if (fields.hours && fields.minutes && fields.seconds && !fields.zone && !fields.date) {
        return longTimeFormat;
    }
    return fixedFormat;
}

QString LocalClock::text() const {
    const QTime now = source_ ? source_() : QTime::currentTime();
    const QString format = displayFormat(
        longTimeFormat_.isNull() ? locale_.timeFormat(QLocale::LongFormat) : longTimeFormat_);
    // The fixed form is the same everywhere, with ASCII digits; a regional form is written with
    // the locale's own words (AM/PM) and digits.
    if (format == fixedFormat) {
        return now.toString(fixedFormat);
    }
    return locale_.toString(now, format);
}

} // namespace quillon
