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
    void writesAChosenRegionalFormatInTheLocalesOwnWords_data();
    void writesAChosenRegionalFormatInTheLocalesOwnWords();
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

void LocalClockTest::writesAChosenRegionalFormatInTheLocalesOwnWords_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("12-hour, afternoon") << us << "h:mm:ss AP"
                                        << "1:05:09 PM";
    QTest::newRow("German dots") << QLocale(QLocale::German, QLocale::Germany) << "HH.mm.ss"
                                 << "13.05.09";
    QTest::newRow("Chinese words") << QLocale(QLocale::Chinese, QLocale::China) << "H时mm分ss秒"
                                   << "13时05分09秒";
    // A format that is not a plain time of day falls back to the fixed form.
    QTest::newRow("with a zone") << us << "h:mm:ss AP t"
                                 << "13:05:09";
    QTest::newRow("without seconds") << us << "h:mm AP"
                                     << "13:05:09";
}

void LocalClockTest::writesAChosenRegionalFormatInTheLocalesOwnWords() {
    QFETCH(QLocale, locale);
    QFETCH(QString, format);
    QFETCH(QString, text);
    const LocalClock clock([] { return QTime(13, 5, 9); }, locale, format);
    QCOMPARE(clock.text(), text);
}

QTEST_GUILESS_MAIN(LocalClockTest)
#include "LocalClockTest.moc"
