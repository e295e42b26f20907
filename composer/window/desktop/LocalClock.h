#pragma once

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

    QString text() const;

private:
    TimeSource source_;
};

} // namespace quillon
