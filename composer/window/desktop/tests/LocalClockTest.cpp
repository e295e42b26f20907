#include "LocalClock.h"

#include <QTest>

#include <vector>

using quillon::LocalClock;

class LocalClockTest : public QObject {
    Q_OBJECT

private slots:
    void keepsARegionalFormatOfHoursMinutesSeconds_data();
    void keepsARegionalFormatOfHoursMinutesSeconds();
    void fallsBackWhenTheFormatIsNotATimeOfDayWithSeconds_data();
    void fallsBackWhenTheFormatIsNotATimeOfDayWithSeconds();
    void showsTheTimeFromTheSource_data();
    void showsTheTimeFromTheSource();
    void readsTheSourceAgainOnEveryTick();
};

void LocalClockTest::keepsARegionalFormatOfHoursMinutesSeconds_data() {
    QTest::addColumn<QString>("format");
    QTest::newRow("24-hour") << "HH:mm:ss";
    QTest::newRow("12-hour with AM/PM") << "h:mm:ss AP";
    QTest::newRow("Windows German") << "HH.mm.ss";
    // Letters inside quotes are literal text, not a zone or a date.
    QTest::newRow("quoted t, d, y") << "HH:mm:ss 'today'";
}

void LocalClockTest::keepsARegionalFormatOfHoursMinutesSeconds() {
    QFETCH(QString, format);
    QCOMPARE(LocalClock::displayFormat(format), format);
}

void LocalClockTest::fallsBackWhenTheFormatIsNotATimeOfDayWithSeconds_data() {
    QTest::addColumn<QString>("format");
    QTest::newRow("zone after") << "HH:mm:ss t";
    QTest::newRow("zone before") << "t HH:mm:ss";
    QTest::newRow("zone in brackets") << "H:mm:ss (t)";
    QTest::newRow("no seconds") << "HH:mm";
    QTest::newRow("no seconds, 12-hour") << "h:mm AP";
    // The only s is quoted: a literal, not the seconds.
    QTest::newRow("quoted s only") << "HH 'h' mm 'mins'";
    QTest::newRow("quoted s, zone") << "HH 'h' mm 'min' ss 's' t";
    QTest::newRow("no hours") << "mm:ss";
    QTest::newRow("date") << "dd.MM.yyyy HH:mm:ss";
    QTest::newRow("empty") << "";
}

void LocalClockTest::fallsBackWhenTheFormatIsNotATimeOfDayWithSeconds() {
    QFETCH(QString, format);
    QCOMPARE(LocalClock::displayFormat(format), QStringLiteral("HH:mm:ss"));
}

void LocalClockTest::showsTheTimeFromTheSource_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("text");
    // Every regional long format that Qt ships on Linux carries a zone, so each of these takes
    // the fixed form, written with ASCII digits whatever the locale's own digits.
    QTest::newRow("zh_CN afternoon")
        << QLocale(QLocale::Chinese, QLocale::China) << QTime(13, 5, 9) << "13:05:09";
    QTest::newRow("en_US afternoon")
        << QLocale(QLocale::English, QLocale::UnitedStates) << QTime(13, 5, 9) << "13:05:09";
    QTest::newRow("fr_CA quoted s")
        << QLocale(QLocale::French, QLocale::Canada) << QTime(7, 30, 0) << "07:30:00";
    QTest::newRow("ar_EG native digits")
        << QLocale(QLocale::Arabic, QLocale::Egypt) << QTime(23, 59, 59) << "23:59:59";
    QTest::newRow("C midnight") << QLocale::c() << QTime(0, 0, 0) << "00:00:00";
}

void LocalClockTest::showsTheTimeFromTheSource() {
    QFETCH(QLocale, locale);
    QFETCH(QTime, time);
    QFETCH(QString, text);
    const LocalClock clock([time] { return time; }, locale);
    QCOMPARE(clock.text(), text);
}

void LocalClockTest::readsTheSourceAgainOnEveryTick() {
    const std::vector<QTime> ticks{QTime(9, 59, 58), QTime(9, 59, 59), QTime(10, 0, 0)};
    std::size_t next = 0;
    const LocalClock clock([&] { return ticks.at(next++); }, QLocale::c());
    QCOMPARE(clock.text(), QStringLiteral("09:59:58"));
    QCOMPARE(clock.text(), QStringLiteral("09:59:59"));
    QCOMPARE(clock.text(), QStringLiteral("10:00:00"));
}

QTEST_GUILESS_MAIN(LocalClockTest)
#include "LocalClockTest.moc"
