#pragma once

#include <QLocale>
#include <QString>
#include <QTime>

#include <functional>

namespace quillon {

// The time of day as the clock label shows it: hours, minutes and seconds in the user's long
// time format, without date or time zone.
class LocalClock {
public:
    using TimeSource = std::function<QTime()>;

    // Tests replace the source to fix the time.
    explicit LocalClock(TimeSource source = &QTime::currentTime);
    // Tests also fix the regional settings; the clock above takes the user's.
    LocalClock(TimeSource source, QLocale locale);
    // And a regional long time format of their own, in place of the locale's.
    LocalClock(TimeSource source, QLocale locale, QString longTimeFormat);

    QString text() const;

    // The format the clock uses for a regional long time format: that format when it shows hours,
    // minutes and seconds and nothing else (no zone, no date), otherwise the fixed "HH:mm:ss".
    static QString displayFormat(const QString& longTimeFormat);

private:
    TimeSource source_;
    QLocale locale_;
    QString longTimeFormat_; // null: the locale's own
};

} // namespace quillon
