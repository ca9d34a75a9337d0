#include "ServerRegister.h"
#include "ReportTestData.h"
#include "TestDataFolder.h"

#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "reports/ReportError.h"
#include "store/DisplayFormat.h"
#include "tools/DemoData.h"

#include <QTemporaryDir>
#include <QtTest>

using Kind = ReportLine::Kind;
using namespace Qt::StringLiterals;

class TestReportEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { ServerRegister::addEngineRows(); }

    void init()
    {
        QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error()));
        m = std::make_unique<Fixture>();
        ReportTestData::addMasters(m->folder);
    }

    void cleanup()
    {
        m.reset();
    }

    void laysOutEachReport_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("emptied");
        QTest::addColumn<QString>("titles"); // title|subtitle
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<QStringList>("lines");
        // Each report over the sample data, and again with its source emptied:
        // the column headings (first line) and the body of its only page.
        const auto add = [](int number, const char *title, const char *subtitle, bool landscape, const char *table,
                            const QStringList &lines, const char *emptyHeadings = nullptr) {
            const QString t = QString::fromUtf8(title) + u'|' + QString::fromUtf8(subtitle);
            QTest::addRow("%d", number) << number << QString() << t << landscape << lines;
            QTest::addRow("%d empty", number) << number << QString::fromUtf8(table) << t << landscape
                                              << QStringList{emptyHeadings ? QString::fromUtf8(emptyHeadings) : lines.first(),
                                                             QStringLiteral("E:印刷するデータはありません。")};
        };
        const auto t = ReportTestData::texts;
        add(1, "仕入先一覧", "", true, "SireCliant",
            t({"コード|仕入先名|よみがな|代表者名|郵便番号|住所|電話番号|FAX番号|仕入先区分",
               "100|山田製作所|やまだせいさくしょ|山田 太郎|144-0052|東京都大田区蒲田1-2-3|03-3731-0001|03-3731-0901|仕入先",
               "110|佐藤工業|さとうこうぎょう|佐藤 次郎|211-0005|神奈川県川崎市中原区新丸子 4-5|044-411-0002|044-411-0902|外注先",
               // Missing address parts and an unknown category leave nothing behind.
               "120|鈴木金属|すずききんぞく|鈴木 一郎||埼玉県|||", "T:件数　3 件"}));
        add(2, "銀行一覧", "", false, "kbn6",
            t({"コード|銀行名・支店名", "1|中央銀行", "2|みなと銀行", "10|東都信用金庫", "T:件数　3 件"}));
        add(3, "手形種類一覧", "", false, "kbn1",
            t({"コード|名称", "1|約束手形", "2|為替手形", "3|電子記録債務", "T:件数　3 件"}));
        add(4, "手形目的一覧", "", false, "kbn2",
            t({"コード|名称", "1|仕入代金", "2|外注加工費", "3|設備代金", "4|諸経費", "T:件数　4 件"}));
        add(5, "手形状態一覧", "", false, "Kbn3",
            t({"コード|名称", "1|未決済", "2|期日到来", "3|決済済み", "4|不渡り", "5|書換え", "T:件数　5 件"}));
        add(6, "経理区分一覧", "", false, "Kbn4", t({"コード|名称", "1|短期", "2|長期", "T:件数　2 件"}));
        add(7, "仕入先区分一覧", "", false, "Kbn5",
            t({"コード|名称", "1|仕入先", "2|外注先", "3|設備業者", "T:件数　3 件"}));
        // An amount of 0 shows as empty text, as in every list of the system.
        add(8, "支払手形一覧", "", true, "SiteTbl",
            t({"手形番号|振出日|決済日|振出先|金額|支払銀行|状態|経理区分|備考",
               "K1|2024/01/10|2024/04/30|山田製作所|100,000|中央銀行|未決済|短期|",
               "K2|2024/01/10|2024/04/30|佐藤工業|250,000|中央銀行|決済済み|短期|",
               "K3|2024/01/10|2024/04/30|鈴木金属|50,000|みなと銀行|未決済|短期|",
               "P4|2024/01/10|2024/05/01|鈴木金属|7,000|みなと銀行|未決済|短期|",
               "P1|2024/01/10|2024/05/10|山田製作所|100,000|中央銀行|未決済|短期|",
               "P3|2024/01/10|2024/05/10|佐藤工業|30,000|みなと銀行|未決済|短期|",
               "P2|2024/01/10|2024/05/20|山田製作所|50,000|中央銀行|未決済|短期|",
               "A0|2024/01/10|2024/06/30|佐藤工業||東都信用金庫|決済済み|長期|6月分", "T:合計　8 件|||||587,000||||"}));
        add(9, "手形照会一覧", "", true, "TMPTbl",
            t({"振出日|手形番号|振出先|金額|決済日|銀行|備考", "2024/03/01|Z9|山田製作所|1,000|2024/05/31|中央銀行|x",
               "2024/01/01|A1|佐藤工業||2024/04/30|みなと銀行|", "2024/02/01|M5|鈴木金属|25,000|2024/06/30||備考",
               "T:合計　3 件||||26,000|||"}));
        add(10, "手形帳", "", true, "SiteTbl",
            t({"決済日|手形番号|振出日|振出先|金額|種類|用途|状態|備考", "H:支払銀行　1　中央銀行",
               "2024/04/30|K1|2024/01/10|山田製作所|100,000|約束手形|外注加工費|未決済|",
               "2024/04/30|K2|2024/01/10|佐藤工業|250,000|約束手形|外注加工費|決済済み|",
               "2024/05/10|P1|2024/01/10|山田製作所|100,000|約束手形|外注加工費|未決済|",
               "2024/05/20|P2|2024/01/10|山田製作所|50,000|約束手形|外注加工費|未決済|",
               "F:中央銀行　小計　4 件|||||500,000||||", "H:支払銀行　2　みなと銀行",
               "2024/04/30|K3|2024/01/10|鈴木金属|50,000|約束手形|外注加工費|未決済|",
               "2024/05/01|P4|2024/01/10|鈴木金属|7,000|約束手形|外注加工費|未決済|",
               "2024/05/10|P3|2024/01/10|佐藤工業|30,000|約束手形|外注加工費|未決済|",
               "F:みなと銀行　小計　3 件|||||87,000||||", "H:支払銀行　10　東都信用金庫",
               "2024/06/30|A0|2024/01/10|佐藤工業||約束手形|外注加工費|決済済み|6月分",
               "F:東都信用金庫　小計　1 件|||||0||||", "T:合計　8 件|||||587,000||||"}));
        add(11, "手形決済一覧", "決済日　2024/04/30", false, "SiteTbl",
            t({"手形番号|振出先|金額|状態", "H:支払銀行　みなと銀行", "K3|鈴木金属|50,000|未決済", "F:小計　1 件|||50,000|",
               "H:支払銀行　中央銀行", "K1|山田製作所|100,000|未決済", "K2|佐藤工業|250,000|決済済み",
               "F:小計　2 件|||350,000|", "T:合計　3 件|||400,000|", "S:決済済み金額　1 件|||250,000|",
               "S:決済待ち金額　2 件|||150,000|"}));
        // Notes due before the start date or of the other category are left out;
        // without notes there are no date columns.
        add(12, "振出先別支払予定表", "経理区分　1　短期　　決済日 2024/05/01 以降", true, "SiteTbl",
            t({"振出先|小計|2024/05/01|2024/05/10|2024/05/20", "佐藤工業|30,000||30,000|",
               "山田製作所|150,000||100,000|50,000", "鈴木金属|7,000|7,000||", "T:合計||187,000|7,000|130,000|50,000"}),
            "振出先|小計");
    }

    void laysOutEachReport()
    {
        QFETCH(int, number);
        QFETCH(QString, emptied);
        QFETCH(QString, titles);
        QFETCH(bool, landscape);
        QFETCH(QStringList, lines);
        ReportTestData::addSampleData(m->folder);
        if (!emptied.isEmpty())
            m->folder.exec(QStringLiteral("DELETE FROM ") + emptied);
        // Report 11 settles one day, report 12 plans from one day on; the others
        // ignore the date and the category.
        const auto d = ReportEngine::build(ReportTestData::request(
                number, m->folder, number == 11 ? QStringLiteral("2024/04/30") : QStringLiteral("2024/05/01"),
                QStringLiteral("1")));
        QCOMPARE(d->pageCount(), 1);
        const ReportPage page = d->page(0);
        QCOMPARE(QStringList({page.title, page.subtitle, page.pageNumber, page.printedAt}).join(u'|'),
                 titles + u"|1 / 1|印刷日時 2024/05/01 09:30"_s);
        QCOMPARE(d->pageLayout().pageSize().id(), QPageSize::A4);
        QCOMPARE(d->pageLayout().orientation(), landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        QCOMPARE(ReportTestData::headings(page).join(QLatin1Char('|')), lines.first());
        QCOMPARE(ReportTestData::render(*d), lines.mid(1));
    }

    void pageBreaksRepeatHeadings_data()
    {
        QTest::addColumn<int>("firstBank");
        QTest::addColumn<int>("secondBank");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<QList<int>>("detailsPerPage");
        // A landscape page holds a bank heading and 25 notes.
        QTest::newRow("exactly full") << 25 << 0 << true << QList<int>{25, 0};
        QTest::newRow("heading kept with its note") << 22 << 3 << true << QList<int>{22, 3};
        QTest::newRow("three pages") << 60 << 3 << true << QList<int>{25, 25, 13};
        QTest::newRow("without repeated headings") << 60 << 3 << false << QList<int>{25, 26, 12};
    }

    void pageBreaksRepeatHeadings()
    {
        QFETCH(int, firstBank);
        QFETCH(int, secondBank);
        QFETCH(bool, repeat);
        QFETCH(QList<int>, detailsPerPage);
        ReportTestData::addNotes(m->folder, firstBank + secondBank, [firstBank](int i) {
            return ReportTestData::Note{QStringLiteral("N%1").arg(i, 4, 10, QLatin1Char('0')),
                                        QDate(2024, 1, 1).addDays(i).toString(Qt::ISODate), 1000,
                                        i < firstBank ? QStringLiteral("1") : QStringLiteral("2")};
        });
        ReportRequest request = ReportTestData::request(10, m->folder);
        request.repeatGroupHeadings = repeat;
        const auto d = ReportEngine::build(request);
        const int pages = int(detailsPerPage.size());
        QCOMPARE(d->pageCount(), pages);
        for (int p = 0; p < pages; ++p) {
            const ReportPage page = d->page(p);
            QCOMPARE(page.title + u'|' + page.pageNumber, QStringLiteral("手形帳|%1 / %2").arg(p + 1).arg(pages));
            QCOMPARE(ReportTestData::headings(page), ReportTestData::headings(d->page(0)));
            QVERIFY(!page.lines.isEmpty());
            // No heading is left alone at the foot of a page.
            QVERIFY(page.lines.last().kind != Kind::GroupHeading);
            double height = 0;
            int details = 0;
            for (const ReportLine &l : page.lines) {
                height += d->metrics().lineHeight(l.kind);
                details += l.kind == Kind::Detail;
            }
            QVERIFY(height <= d->metrics().bodyHeight());
            QCOMPARE(details, detailsPerPage.at(p));
            const ReportLine top = page.lines.first();
            if (p > 0 && top.kind != Kind::GroupHeading && top.kind != Kind::GrandTotal) {
                QCOMPARE(top.kind, repeat ? Kind::ContinuedHeading : Kind::Detail);
                if (repeat)
                    QCOMPARE(top.label, QStringLiteral("支払銀行　1　中央銀行（続き）"));
            }
        }
        const QStringList lines = ReportTestData::render(*d);
        QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^F:"))).size(), secondBank ? 2 : 1);
        QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^T:"))).size(), 1);
    }

    void crossTableColumnsContinueOnNextPages_data()
    {
        QTest::addColumn<int>("payees");
        QTest::addColumn<int>("dates");
        QTest::addColumn<QList<int>>("firstDateOfPage");
        // Nine dates fit beside the payee and its total on a landscape page;
        // a page holds 28 payees.
        QTest::newRow("one page") << 3 << 9 << QList<int>{0};
        QTest::newRow("dates across three pages") << 3 << 25 << QList<int>{0, 9, 18};
        QTest::newRow("payees down, dates across") << 40 << 10 << QList<int>{0, 9, 0, 9};
    }

    void crossTableColumnsContinueOnNextPages()
    {
        QFETCH(int, payees);
        QFETCH(int, dates);
        QFETCH(QList<int>, firstDateOfPage);
        for (int i = 0; i < payees; ++i) {
            const QString number = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
            m->folder.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES (?, ?)"),
                           {QLatin1Char('P') + number, QStringLiteral("振出先") + number});
        }
        ReportTestData::addNotes(m->folder, payees * dates, [dates](int i) {
            const QString code = QStringLiteral("P%1").arg(i / dates, 3, 10, QLatin1Char('0'));
            return ReportTestData::Note{QStringLiteral("%1-%2").arg(code).arg(i % dates),
                                        QDate(2024, 6, 1).addDays(i % dates).toString(Qt::ISODate), 1000,
                                        QStringLiteral("1"), code};
        });
        const auto d = ReportEngine::build(
                ReportTestData::request(12, m->folder, QStringLiteral("2024/06/01"), QStringLiteral("1")));
        const int pages = int(firstDateOfPage.size());
        QCOMPARE(d->pageCount(), pages);
        QCOMPARE(d->rowCount(), payees);
        int totals = 0;
        for (int p = 0; p < pages; ++p) {
            const ReportPage page = d->page(p);
            QCOMPARE(page.pageNumber, QStringLiteral("%1 / %2").arg(p + 1).arg(pages));
            QCOMPARE(ReportTestData::headings(page).mid(0, 3),
                     QStringList({QStringLiteral("振出先"), QStringLiteral("小計"),
                                  QDate(2024, 6, 1).addDays(firstDateOfPage.at(p)).toString(QStringLiteral("yyyy/MM/dd"))}));
            QVERIFY(page.columns.last().x + page.columns.last().width <= d->metrics().usableWidth());
            QVERIFY(page.lines.first().cells.first().startsWith(QStringLiteral("振出先")));
            for (const ReportLine &l : page.lines) {
                const bool total = l.kind == Kind::GrandTotal;
                totals += total;
                QCOMPARE(l.cells.at(1), DisplayFormat::number(1000.0 * dates * (total ? payees : 1), QStringLiteral("#,##0")));
                if (!total)
                    QCOMPARE(l.cells.at(2), QStringLiteral("1,000"));
            }
        }
        // The totals line ends every slice of the last band of payees.
        QCOMPARE(totals, (dates + 8) / 9);
    }

    void stampDutiesPerMonth()
    {
        addRuleNotes({"S3 2026-04-30 2026-06-30 1000001 1 100 1", "S1 2026-04-03 2026-05-29 99999 1 110 3",
                          "S2 2026-04-15 2026-06-15 100000 2 120 1", "E1 2026-04-10 2026-06-10 5000000 3 100 1",
                          "S4 2026-05-01 2026-06-30 50000000 1 100 1", "S5 2026-03-31 2026-05-29 300000 1 100 1",
                          "S6 2026-06-01 2026-07-31 300000 1 100 1"});
        const auto d = ReportEngine::build(ReportEngine::catalogueRequest(
                14, ReportTestData::reportFolder(), m->folder.path(), u"2026/04/01"_s, QString(), u"2026/05/31"_s));
        QCOMPARE(d->page(0).title + u'|' + d->page(0).subtitle, u"印紙税額一覧|振出日　2026/04/01 ～ 2026/05/31"_s);
        QCOMPARE(ReportTestData::headings(d->page(0)), ReportTestData::texts({"振出日", "手形番号", "振出先", "決済日", "金額", "印紙税額"}));
        // The electronic record and the notes drawn outside the period are left out.
        QCOMPARE(ReportTestData::render(*d),
                 ReportTestData::texts({"H:振出月　2026/04", "2026/04/03|S1|佐藤工業|2026/05/29|99,999|0",
                                        "2026/04/15|S2|鈴木金属|2026/06/15|100,000|200",
                                        "2026/04/30|S3|山田製作所|2026/06/30|1,000,001|400",
                                        "F:2026/04　小計　3 件|||||1,200,000|600", "H:振出月　2026/05",
                                        "2026/05/01|S4|山田製作所|2026/06/30|50,000,000|10,000",
                                        "F:2026/05　小計　1 件|||||50,000,000|10,000",
                                        "T:合計　4 件|||||51,200,000|10,600"}));
    }

    // The printed funding plan lists days; its 「件」 count the notes paid.
    void fundingPlanCountsNotes()
    {
        for (const char *row : {"1 中央銀行|2027/01/04(月)|300,000|200,000||開始残高 500,000|2",
                                "1 中央銀行|2027/01/12(火)|300,000|-100,000|不足|開始残高 500,000|3"}) {
            const QStringList fields = QString::fromUtf8(row).split(u'|');
            m->folder.exec(QStringLiteral("INSERT INTO TMPTbl (F1, F2, F3, F4, F5, F6, F7) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                           QVariantList(fields.begin(), fields.end()));
        }
        const auto d = ReportEngine::build(ReportTestData::request(13, m->folder, u"2027/01/04～2027/03/05"_s));
        QCOMPARE(ReportTestData::render(*d),
                 ReportTestData::texts({"H:1 中央銀行　開始残高 500,000", "2027/01/04(月)|300,000|200,000|",
                                        "2027/01/12(火)|300,000|-100,000|不足", "F:決済額計　5 件||600,000||",
                                        "T:決済額合計　5 件||600,000||"}));
    }

    void warningsWithReasons()
    {
        addRuleNotes({"W1 2026-01-05 2026-03-31 1000 1 100 1", "W2 2027-02-01 2027-04-01 2000 1 100 2",
                          "W3 2026-01-01 2026-02-28 3000 1 110 1", "W4 2026-02-01 2027-04-30 4000 2 110 1",
                          "X1 2026-01-05 2026-06-30 1000 1 100 3", "X2 2026-01-05 2027-06-30 1000 3 110 1",
                          "X3 2025-12-31 2026-02-27 1000 1 110 1", "X4 2026-03-02 2026-05-01 1000 1 100 1",
                          "X5 2026-01-05 2026-06-30 1000 1 100 5", "X6 2026-01-05 2026-03-06 1000 3 110 1", "X7 2024-10-01 2025-01-31 1000 1 100 1"});
        const auto d = ReportEngine::build(ReportTestData::request(15, m->folder));
        QCOMPARE(d->page(0).title, u"要注意手形一覧"_s);
        QCOMPARE(ReportTestData::headings(d->page(0)).join(QLatin1Char('|')),
                 u"手形番号|振出日|決済日|サイト(日)|振出先|金額|状態|注意する理由"_s);
        // Settled, void (書換え), drawn before the law or before the 60-day
        // guidance, 60 days, an electronic record of 60 days: no warning. An
        // electronic record over 60 days to a covered payee has both.
        QCOMPARE(ReportTestData::render(*d),
                 ReportTestData::texts({"W3|2026/01/01|2026/02/28|58|佐藤工業|3,000|未決済|取適法対象先",
                                        "W1|2026/01/05|2026/03/31|85|山田製作所|1,000|未決済|60日超",
                                        "W2|2027/02/01|2027/04/01|59|山田製作所|2,000|期日到来|2027年4月以降期日",
                                        "W4|2026/02/01|2027/04/30|453|佐藤工業|4,000|未決済|"
                                        "60日超、2027年4月以降期日、取適法対象先",
                                        "X2|2026/01/05|2027/06/30|541|佐藤工業|1,000|未決済|60日超、取適法対象先: 60日超",
                                        "T:合計　5 件||||||11,000||"}));
    }

    // Report 16 from the history: registrations, a correction with before
    // and after, a deletion; a note drawn more than two months before it was
    // entered is marked. Time and user of each change are left out here.
    void changesOfAPeriod()
    {
        const auto add = [this](const char *number, const char *drawn, double amount) {
            m->folder.exec(u"INSERT INTO SiteTbl (TNo, TFDate, TKDate, TTo, TKingaku, TCond) VALUES (?, ?, '2027-01-29', '100', ?, '1')"_s,
                           {QString::fromUtf8(number), QString::fromUtf8(drawn), amount});
        };
        const QDate today = QDate::currentDate();
        add("R1", qPrintable(today.toString(Qt::ISODate)), 150000);
        add("R2", qPrintable(today.addMonths(-3).toString(Qt::ISODate)), 90000);
        m->folder.exec(u"UPDATE SiteTbl SET TKingaku = 250000, TKDate = '2027-02-26' WHERE TNo = 'R1'"_s);
        m->folder.exec(u"DELETE FROM SiteTbl WHERE TNo = 'R2'"_s);
        const QString day = today.toString(u"yyyy/MM/dd"_s);
        const auto d = ReportEngine::build(ReportEngine::catalogueRequest(16, ReportTestData::reportFolder(),
                                                                          m->folder.path(), day, QString(), day));
        QCOMPARE(d->page(0).title, u"訂正・削除履歴一覧"_s);
        QCOMPARE(ReportTestData::headings(d->page(0)).join(u'|'),
                 u"日時|操作|手形番号|振出日|登録日|登録遅れ|振出先|金額|利用者|変更内容 (変更前 → 変更後)"_s);
        QStringList rows;
        for (const QString &line : ReportTestData::render(*d)) {
            QStringList cells = line.split(u'|');
            if (cells.size() == 10) {
                QVERIFY(cells.at(0).startsWith(day));
                cells.removeAt(8);
                cells.removeAt(0);
            }
            rows << cells.join(u'|');
        }
        const QString &drawn = day;
        const QString early = today.addMonths(-3).toString(u"yyyy/MM/dd"_s);
        QCOMPARE(rows, (QStringList{u"登録|R1|%1|%1||山田製作所|150,000|"_s.arg(drawn),
                                    u"登録|R2|%1|%2|2か月超|山田製作所|90,000|"_s.arg(early, drawn),
                                    u"訂正|R1|%1|%1||山田製作所|250,000|決済日 2027/01/29 → 2027/02/26、金額 150,000 → 250,000"_s.arg(drawn),
                                    u"削除|R2|%1|%2||山田製作所|90,000|"_s.arg(early, drawn),
                                    u"T:合計　4 件"_s}));
        const QString yesterday = today.addDays(-1).toString(u"yyyy/MM/dd"_s);
        QCOMPARE(ReportEngine::build(ReportEngine::catalogueRequest(16, ReportTestData::reportFolder(),
                                                                    m->folder.path(), yesterday, QString(), yesterday))
                         ->rowCount(),
                 0);
    }

    void rendersDemoData()
    {
        // The demo's own masters, not the fixture's.
        if (ServerRegister::selected())
            QVERIFY2(m_register.reset(), qPrintable(m_register.error()));
        TestDataFolder folder;
        DemoData::addDemoData(folder.path(), 400, QDate(2026, 12, 6));
        // Electronic records, each numbered as such.
        QVERIFY(folder.scalar(u"SELECT count(*) FROM SiteTbl WHERE TKubun = '3'"_s).toInt() >= 40);
        QCOMPARE(folder.scalar(u"SELECT count(*) FROM SiteTbl WHERE TKubun = '3' AND (length(TNo) <> 20 "
                                 "OR TNo GLOB '*[^0-9A-Z]*')"_s).toInt(), 0);
        const auto duties = ReportEngine::build(ReportEngine::catalogueRequest(
                14, ReportTestData::reportFolder(), folder.path(), u"2026/01/01"_s, QString(), u"2026/12/31"_s));
        QVERIFY(duties->rowCount() > 100);
        QVERIFY(duties->pageCount() > 1);
        const QString watched = ReportTestData::render(*ReportEngine::build(ReportTestData::request(15, folder)))
                                        .join(QLatin1Char('\n'));
        for (const char *reason : {"60日超", "2027年4月以降期日", "取適法対象先"})
            QVERIFY2(watched.contains(QString::fromUtf8(reason)), reason);
    }
    void readsTheDataFolderWhateverTheFileSays()
    {
        if (ServerRegister::selected())
            QSKIP("A definition's location names a register file.");
        TestDataFolder other;
        other.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('9', '別の銀行')"));
        QString text = QString::fromUtf8(TestDataFolder::fileBytes(ReportTestData::reportFolder() + u"RBBank1.rpt"_s));
        text.replace(QStringLiteral("[Report]\n"), QStringLiteral("[Report]\nLocation=%1\n").arg(other.databasePath()));
        ReportRequest request = ReportTestData::request(2, m->folder);
        request.definitionPath = writeDefinition(text.toUtf8());
        const auto d = ReportEngine::build(request);
        QCOMPARE(d->definition().location, other.databasePath());
        QCOMPARE(ReportTestData::render(*d), ReportTestData::texts({"1|中央銀行", "2|みなと銀行", "10|東都信用金庫", "T:件数　3 件"}));
    }

    void failuresNameTheFile_data()
    {
        QTest::addColumn<QByteArray>("definition");
        QTest::addColumn<bool>("database");
        QTest::addColumn<QString>("reason");
        const QByteArray head("[Report]\nTitle=T\nSource=%1\n[Column]\nField=%2\nWidth=20\n");
        QTest::newRow("missing file") << QByteArray() << true << "見つかりません";
        QTest::newRow("not UTF-8") << QByteArray("[Report]\nTitle=\x93\xfa\x96\x7b\n") << true << "UTF-8";
        QTest::newRow("no such source") << QByteArray(head).replace("%1", "NoTable").replace("%2", "X") << true
                                        << "NoTable";
        QTest::newRow("no such column") << QByteArray(head).replace("%1", "kbn6").replace("%2", "Missing") << true
                                        << "Missing";
        // Named for the database rather than the definition.
        QTest::newRow("no database") << QByteArray(head).replace("%1", "kbn6").replace("%2", "KbnCode") << false
                                     << "データベース";
    }

    void failuresNameTheFile()
    {
        QFETCH(QByteArray, definition);
        QFETCH(bool, database);
        QFETCH(QString, reason);
        TestDataFolder empty(false);
        ReportRequest request = ReportTestData::request(2, database ? m->folder : empty);
        request.definitionPath = writeDefinition(definition);
        try {
            ReportEngine::build(request);
            QFAIL("the report was made");
        } catch (const ReportError &e) {
            QCOMPARE(e.file(), database ? request.definitionPath : empty.databasePath());
            // The engine's own words, which name a missing column (the
            // server in lower case), are the details.
            QVERIFY2((e.reason() + e.details()).contains(reason, Qt::CaseInsensitive), qPrintable(e.reason()));
            QVERIFY(e.text().contains(e.file()));
        }
    }

private:
    // Reports 14 and 15: note kind 3 is the electronic record; payee 110 is
    // covered by the subcontract law.
    void addRuleNotes(std::initializer_list<const char *> rows) const
    {
        m->folder.exec(QStringLiteral("UPDATE kbn1 SET KbnDenshi = CASE KbnCode WHEN '3' THEN 1 ELSE 0 END"));
        m->folder.exec(QStringLiteral("UPDATE SireCliant SET ClTekiho = CASE ClCode WHEN '110' THEN 1 ELSE 0 END"));
        for (const char *row : rows) {
            const QStringList v = QString::fromUtf8(row).split(QLatin1Char(' '));
            m->folder.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TKingaku, TKubun, TTo, TCond, TBank, "
                                          "TYoto, TKeiri) VALUES (?, ?, ?, ?, ?, ?, ?, '1', '1', '1')"),
                           {v.at(0), v.at(1), v.at(2), v.at(3).toDouble(), v.at(4), v.at(5), v.at(6)});
        }
    }

    // A definition named as the banks' list; a null text leaves it missing.
    QString writeDefinition(const QByteArray &text);

    struct Fixture
    {
        TestDataFolder folder;
        QTemporaryDir scratch;
    };
    std::unique_ptr<Fixture> m;
    ServerRegister m_register;
};

QString TestReportEngine::writeDefinition(const QByteArray &text)
{
    const QString path = m->scratch.filePath(QStringLiteral("RBBank1.rpt"));
    QFile file(path);
    if (!text.isNull() && file.open(QIODevice::WriteOnly))
        file.write(text);
    return path;
}

QTEST_MAIN(TestReportEngine)
#include "tst_ReportEngine.moc"
