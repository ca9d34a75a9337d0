#include "TestDataFolder.h"

#include "calendar/BankCalendar.h"
#include "calendar/HolidayLaw.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTest>

#include <algorithm>

class TestBankCalendar : public QObject
{
    Q_OBJECT

private slots:
    void holidayName_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("name");
        const auto row = [](const char *tag, QDate d, const char *name) { QTest::newRow(tag) << d << QString::fromUtf8(name); };
        row("before the substitute law", QDate(1973, 2, 12), "");
        row("first substitute", QDate(1973, 4, 30), "振替休日");
        row("substitute after two holidays", QDate(2008, 5, 6), "振替休日");
        row("citizens' holiday on a Sunday", QDate(1986, 5, 4), "");
        row("citizens' holiday", QDate(1988, 5, 4), "国民の休日");
        row("silver week 2009", QDate(2009, 9, 22), "国民の休日");
        row("coming of age fixed", QDate(1999, 1, 15), "成人の日");
        row("coming of age Monday", QDate(2000, 1, 10), "成人の日");
        row("marine day fixed", QDate(2002, 7, 20), "海の日");
        row("marine day Monday", QDate(2003, 7, 21), "海の日");
        row("respect for the aged before", QDate(1965, 9, 15), "");
        row("foundation day before", QDate(1966, 2, 11), "");
        row("foundation day", QDate(1967, 2, 11), "建国記念の日");
        row("mountain day before", QDate(2015, 8, 11), "");
        row("sports day moved 2020", QDate(2020, 7, 24), "スポーツの日");
        row("no sports day in October 2020", QDate(2020, 10, 12), "");
        row("mountain day substitute 2021", QDate(2021, 8, 9), "振替休日");
        row("no emperor's birthday 2019", QDate(2019, 12, 23), "");
        row("enthronement", QDate(2019, 5, 1), "即位の日");
        row("between enthronement and showa day", QDate(2019, 4, 30), "国民の休日");
        row("funeral 1989", QDate(1989, 2, 24), "昭和天皇の大喪の礼");
        row("greenery day 2007", QDate(2007, 5, 4), "みどりの日");
    }

    void holidayName()
    {
        QFETCH(QDate, date);
        QFETCH(QString, name);
        QCOMPARE(BankCalendar().holidayName(date), name);
    }

    void equinoxFormula_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("vernal");
        QTest::addColumn<int>("autumnal");
        QTest::newRow("1955") << 1955 << 21 << 24;
        QTest::newRow("1960") << 1960 << 20 << 23;
        QTest::newRow("1979") << 1979 << 21 << 24;
        QTest::newRow("2012") << 2012 << 20 << 22;
        QTest::newRow("2026") << 2026 << 20 << 23;
        QTest::newRow("2099") << 2099 << 20 << 23;
    }

    void equinoxFormula()
    {
        QFETCH(int, year);
        QFETCH(int, vernal);
        QFETCH(int, autumnal);
        QCOMPARE(QPoint(HolidayLaw::vernalEquinoxDay(year), HolidayLaw::autumnalEquinoxDay(year)), QPoint(vernal, autumnal));
    }

    void settlementDate_data()
    {
        QTest::addColumn<QDate>("due");
        QTest::addColumn<QDate>("paid");
        QTest::newRow("business day") << QDate(2026, 12, 30) << QDate(2026, 12, 30);
        QTest::newRow("year end") << QDate(2026, 12, 31) << QDate(2027, 1, 4);
        QTest::newRow("new year's weekend") << QDate(2028, 12, 30) << QDate(2029, 1, 4);
        QTest::newRow("month end Saturday") << QDate(2026, 1, 31) << QDate(2026, 2, 2);
        QTest::newRow("month end Sunday") << QDate(2025, 11, 30) << QDate(2025, 12, 1);
        QTest::newRow("golden week") << QDate(2026, 5, 2) << QDate(2026, 5, 7);
    }

    void settlementDate()
    {
        QFETCH(QDate, due);
        QFETCH(QDate, paid);
        QCOMPARE(BankCalendar().settlementDate(due), paid);
    }

    // The run of holidays before a date is shown by the settlement list's tests.
    void noHolidaysBeforeABusinessDay()
    {
        QVERIFY(BankCalendar().bankHolidaysBefore(QDate(2026, 12, 30)).isEmpty());
    }

    void publishedListTakesPrecedence()
    {
        TestDataFolder folder(false);
        QVERIFY(TestDataFolder::writeFile(folder.path() + HolidayFile::fileName(), QStringEncoder("Shift_JIS").encode(
                QStringLiteral("国民の祝日・休日月日,国民の祝日・休日名称\r\n2026/1/1,元日\r\n2026/11/4,休日\r\n"))));

        const BankCalendar calendar(folder.path());
        QVERIFY(!calendar.isProvisional(2026) && calendar.isProvisional(2027));
        QVERIFY(!calendar.isBankHoliday(QDate(2026, 11, 3)));
        QCOMPARE(calendar.holidayName(QDate(2026, 11, 4)), QStringLiteral("休日"));
        QCOMPARE(calendar.holidayName(QDate(2027, 11, 3)), QStringLiteral("文化の日"));
        const QList<Holiday> list = calendar.nationalHolidays(2026, 2027);
        QCOMPARE(QList<QDate>({list.at(1).date, list.at(2).date}), QList<QDate>({QDate(2026, 11, 4), QDate(2027, 1, 1)}));
        QVERIFY(BankCalendar().isProvisional(2026));
    }

    // The tool prints one holiday a line in date order, taking the folder's list.
    void listedByTheTool()
    {
        TestDataFolder folder(false);
        QVERIFY(TestDataFolder::writeFile(folder.path() + HolidayFile::fileName(), QStringEncoder("Shift_JIS").encode(
                QStringLiteral("国民の祝日・休日月日,国民の祝日・休日名称\r\n2020/1/1,元日\r\n"))));
        QProcess tool;
        tool.start(QStringLiteral(RIBODO_DATAFOLDER_TOOL), {QStringLiteral("holidays"), QStringLiteral("2019"),
                                                             QStringLiteral("2020"), QStringLiteral("--data"), folder.path()});
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 0);
        const QStringList lines = QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 23);
        QCOMPARE(lines.at(5), QStringLiteral("2019/04/30 国民の休日"));
        QCOMPARE(lines.last(), QStringLiteral("2020/01/01 元日"));
        QVERIFY(std::is_sorted(lines.cbegin(), lines.cend()));
    }

    // A list with a line that is no date, or without a year between two it has,
    // is named with its fault; one far too large (a sparse 8 GiB file, a link to
    // an endless device) is not read, and the law's holidays stand in.
    void faultyHolidayFile_data()
    {
        QTest::addColumn<QString>("content"); // "huge", "endless" or the file's text
        QTest::addColumn<QString>("problem"); // <P>: the file's path
        const QString header = QStringLiteral("国民の祝日・休日月日,国民の祝日・休日名称\r\n");
        QTest::newRow("whole") << header + QStringLiteral("2025/1/1,元日\r\n2026/1/1,元日\r\n") << QString();
        QTest::newRow("a line no date")
                << header + QStringLiteral("2026/1/1,元日\r\n\r\n2026/13/1,成人の日\r\nxx\r\n")
                << QStringLiteral("祝日一覧ファイルに日付として読めない行があります。\n<P>\n4 行目: 2026/13/1,成人の日\n"
                                  "この行の祝日は休日として扱われないため、決済日がずれることがあります。"
                                  "政府の公開している「国民の祝日」の一覧（syukujitsu.csv）に置き換えてください。");
        QTest::newRow("a year missing")
                << header + QStringLiteral("2024/1/1,元日\r\n2026/1/1,元日\r\n")
                << QStringLiteral("祝日一覧ファイルに 2025 年の祝日がありません。\n<P>\n"
                                  "この年の祝日は祝日法から計算して扱います。"
                                  "政府の公開している「国民の祝日」の一覧（syukujitsu.csv）に置き換えてください。");
        const QString tooLarge = QStringLiteral("祝日一覧ファイルを使えません。\n<P> は大きすぎるため読みません（1024 KB まで）。\n"
                                                "祝日は祝日法から計算して扱います。"
                                                "政府の公開している「国民の祝日」の一覧（syukujitsu.csv）に置き換えてください。");
        QTest::newRow("8 GiB") << QStringLiteral("huge") << tooLarge;
    #ifdef Q_OS_UNIX
        QTest::newRow("link to /dev/zero") << QStringLiteral("endless") << tooLarge;
    #endif
    }

    void faultyHolidayFile()
    {
        QFETCH(QString, content);
        QFETCH(QString, problem);
        TestDataFolder folder(false);
        const QString path = folder.path() + HolidayFile::fileName();
        if (content == QLatin1String("endless")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (content == QLatin1String("huge"))
                QVERIFY(file.resize(qint64(8) << 30));
            else
                file.write(QStringEncoder("Shift_JIS").encode(content));
        }
        const BankCalendar calendar(folder.path());
        QCOMPARE(calendar.holidayFile().problem(),
                 QString(problem).replace(QLatin1String("<P>"), QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
        // New Year's Day of a year the file lacks is the law's.
        QCOMPARE(calendar.holidayName(QDate(2025, 1, 1)), QStringLiteral("元日"));
    }
};

QTEST_GUILESS_MAIN(TestBankCalendar)
#include "tst_BankCalendar.moc"
