#include "ReportTestData.h"
#include "TestDataFolder.h"

#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "reports/ReportError.h"
#include "reports/ReportFormat.h"
#include "reports/ReportPdf.h"

#include <QTemporaryDir>
#include <QtTest>

using Kind = ReportLine::Kind;

namespace {

QStringList texts(std::initializer_list<const char *> list)
{
    return ReportTestData::texts(list);
}

QVariantList values(std::initializer_list<const char *> list)
{
    return ReportTestData::values(list);
}

} // namespace

class TestReportEngine : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void masterLists_data();
    void masterLists();
    void supplierListJoinsAddressAndCategory();
    void notesListByDueDateWithTotal();
    void explorerListKeepsRowOrderAndTexts();
    void notesBookGroupsByBankWithSubtotals();
    void pageBreaksRepeatHeadings_data();
    void pageBreaksRepeatHeadings();
    void settlementOfTheDay();
    void paymentPlanCrossTable();
    void crossTableColumnsContinueOnNextPages_data();
    void crossTableColumnsContinueOnNextPages();
    void emptySourceGivesHeadingsAndNotice_data();
    void emptySourceGivesHeadingsAndNotice();
    void readsTheDataFolderWhateverTheFileSays();
    void failuresNameTheFile_data();
    void failuresNameTheFile();
    void pdfHasOnePagePerReportPage_data();
    void pdfHasOnePagePerReportPage();

private:
    std::unique_ptr<ReportDocument> build(int number, const QString &date = QString(), const QString &keiri = QString());
    static QList<ReportLine> allLines(const ReportDocument &d, Kind kind);
    static QStringList column(const QList<ReportLine> &lines, int c);
    QString writeDefinition(const QString &name, const QString &text);

    std::unique_ptr<TestDataFolder> m_folder;
    std::unique_ptr<QTemporaryDir> m_scratch;
};

void TestReportEngine::init()
{
    m_folder = std::make_unique<TestDataFolder>();
    m_scratch = std::make_unique<QTemporaryDir>();
    ReportTestData::addMasters(*m_folder);
}

void TestReportEngine::cleanup()
{
    m_folder.reset();
    m_scratch.reset();
}

std::unique_ptr<ReportDocument> TestReportEngine::build(int number, const QString &date, const QString &keiri)
{
    return ReportEngine::build(ReportTestData::request(number, *m_folder, date, keiri));
}

QList<ReportLine> TestReportEngine::allLines(const ReportDocument &d, Kind kind)
{
    QList<ReportLine> lines;
    for (int p = 0; p < d.pageCount(); ++p) {
        const ReportPage page = d.page(p);
        for (const ReportLine &l : page.lines) {
            if (l.kind == kind)
                lines.append(l);
        }
    }
    return lines;
}

QStringList TestReportEngine::column(const QList<ReportLine> &lines, int c)
{
    QStringList texts;
    for (const ReportLine &l : lines)
        texts.append(l.cells.value(c));
    return texts;
}

QString TestReportEngine::writeDefinition(const QString &name, const QString &text)
{
    const QString path = m_scratch->filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text.toUtf8());
    return path;
}

void TestReportEngine::masterLists_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("headings");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QString>("total");
    const QStringList codeName{QStringLiteral("コード"), QStringLiteral("名称")};
    QTest::newRow("suppliers") << 1 << "仕入先一覧"
                               << texts({"コード", "仕入先名", "よみがな", "代表者名", "郵便番号", "住所",
                                              "電話番号", "FAX番号", "仕入先区分"})
                               << texts({"100", "110", "120"}) << "件数　3 件";
    QTest::newRow("banks in code order") << 2 << "銀行一覧" << texts({"コード", "銀行名・支店名"})
                                         << texts({"1", "2", "10"}) << "件数　3 件";
    QTest::newRow("kinds") << 3 << "手形種類一覧" << codeName << texts({"1", "2", "3"}) << "件数　3 件";
    QTest::newRow("purposes") << 4 << "手形目的一覧" << codeName << texts({"1", "2", "3", "4"}) << "件数　4 件";
    QTest::newRow("states") << 5 << "手形状態一覧" << codeName << texts({"1", "2", "3", "4", "5"}) << "件数　5 件";
    QTest::newRow("accounting") << 6 << "経理区分一覧" << codeName << texts({"1", "2"}) << "件数　2 件";
    QTest::newRow("supplier kinds") << 7 << "仕入先区分一覧" << codeName << texts({"1", "2", "3"}) << "件数　3 件";
}

void TestReportEngine::masterLists()
{
    QFETCH(int, number);
    QFETCH(QString, title);
    QFETCH(QStringList, headings);
    QFETCH(QStringList, codes);
    QFETCH(QString, total);
    const auto d = build(number);
    QCOMPARE(d->pageCount(), 1);
    const ReportPage page = d->page(0);
    QCOMPARE(page.title, title);
    QCOMPARE(page.pageNumber, QStringLiteral("1 / 1"));
    QCOMPARE(page.printedAt, QStringLiteral("印刷日時 2024/05/01 09:30"));
    QStringList shown;
    for (const ReportPage::Column &c : page.columns)
        shown.append(c.heading);
    QCOMPARE(shown, headings);
    QCOMPARE(column(allLines(*d, Kind::Detail), 0), codes);
    QCOMPARE(page.lines.last().kind, Kind::GrandTotal);
    QCOMPARE(page.lines.last().label, total);
}

void TestReportEngine::supplierListJoinsAddressAndCategory()
{
    const QList<ReportLine> rows = allLines(*build(1), Kind::Detail);
    QCOMPARE(rows.at(0).cells,
             texts({"100", "山田製作所", "やまだせいさくしょ", "山田 太郎", "144-0052", "東京都大田区蒲田1-2-3",
                          "03-3731-0001", "03-3731-0901", "仕入先"}));
    QCOMPARE(rows.at(1).cells.last(), QStringLiteral("外注先"));
    // Missing address parts and an unknown category leave nothing behind.
    QCOMPARE(rows.at(2).cells.at(5), QStringLiteral("埼玉県"));
    QCOMPARE(rows.at(2).cells.last(), QString());
}

void TestReportEngine::notesListByDueDateWithTotal()
{
    ReportTestData::addNote(*m_folder, QStringLiteral("C3"), QStringLiteral("2024-06-30"), 1234567, QStringLiteral("2"),
                            QStringLiteral("110"), QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("6月分"));
    ReportTestData::addNote(*m_folder, QStringLiteral("A1"), QStringLiteral("2024-05-10"), 0);
    ReportTestData::addNote(*m_folder, QStringLiteral("B2"), QStringLiteral("2024-05-10"), 500000, QStringLiteral("10"));
    const auto d = build(8);
    const QList<ReportLine> rows = allLines(*d, Kind::Detail);
    QCOMPARE(column(rows, 0), texts({"A1", "B2", "C3"}));
    QCOMPARE(rows.at(2).cells, texts({"C3", "2024/01/10", "2024/06/30", "佐藤工業", "1,234,567", "みなと銀行",
                                            "決済済み", "長期", "6月分"}));
    // An amount of 0 shows as empty text, as in every list of the system.
    QCOMPARE(rows.at(0).cells.at(4), QString());
    const QList<ReportLine> totals = allLines(*d, Kind::GrandTotal);
    QCOMPARE(totals.size(), 1);
    QCOMPARE(totals.first().label, QStringLiteral("合計　3 件"));
    QCOMPARE(totals.first().cells.at(4), QStringLiteral("1,734,567"));
}

void TestReportEngine::explorerListKeepsRowOrderAndTexts()
{
    const QString insert = QStringLiteral("INSERT INTO TMPTbl (F1, F2, F3, F4, F5, F6, F7) VALUES (?, ?, ?, ?, ?, ?, ?)");
    m_folder->exec(insert, values({"2024/03/01", "Z9", "山田製作所", "1,000", "2024/05/31", "中央銀行", "x"}));
    m_folder->exec(insert, values({"2024/01/01", "A1", "佐藤工業", "", "2024/04/30", "みなと銀行", ""}));
    m_folder->exec(insert, values({"2024/02/01", "M5", "鈴木金属", "25,000", "2024/06/30", "", "備考"}));
    const auto d = build(9);
    const QList<ReportLine> rows = allLines(*d, Kind::Detail);
    QCOMPARE(column(rows, 1), texts({"Z9", "A1", "M5"}));
    QCOMPARE(rows.at(0).cells, texts({"2024/03/01", "Z9", "山田製作所", "1,000", "2024/05/31", "中央銀行", "x"}));
    QCOMPARE(rows.at(1).cells.at(3), QString());
    const ReportLine total = allLines(*d, Kind::GrandTotal).first();
    QCOMPARE(total.label, QStringLiteral("合計　3 件"));
    QCOMPARE(total.cells.at(3), QStringLiteral("26,000"));
}

void TestReportEngine::notesBookGroupsByBankWithSubtotals()
{
    ReportTestData::addNote(*m_folder, QStringLiteral("N1"), QStringLiteral("2024-05-20"), 100000, QStringLiteral("10"));
    ReportTestData::addNote(*m_folder, QStringLiteral("N2"), QStringLiteral("2024-05-31"), 200000, QStringLiteral("1"));
    ReportTestData::addNote(*m_folder, QStringLiteral("N3"), QStringLiteral("2024-05-10"), 300000, QStringLiteral("1"));
    ReportTestData::addNote(*m_folder, QStringLiteral("N4"), QStringLiteral("2024-04-10"), 400000, QStringLiteral("2"));
    const auto d = build(10);
    QCOMPARE(d->pageCount(), 1);
    QCOMPARE(d->pageLayout().orientation(), QPageLayout::Landscape);
    const ReportPage page = d->page(0);
    QStringList shape;
    for (const ReportLine &l : page.lines)
        shape.append(l.kind == Kind::Detail ? l.cells.at(1) : l.label);
    QCOMPARE(shape, texts({"支払銀行　1　中央銀行", "N3", "N2", "中央銀行　小計　2 件",
                                 "支払銀行　2　みなと銀行", "N4", "みなと銀行　小計　1 件",
                                 "支払銀行　10　東都信用金庫", "N1", "東都信用金庫　小計　1 件", "合計　4 件"}));
    QCOMPARE(column(allLines(*d, Kind::GroupFooter), 4), texts({"500,000", "400,000", "100,000"}));
    QCOMPARE(allLines(*d, Kind::GrandTotal).first().cells.at(4), QStringLiteral("1,000,000"));
    const QList<ReportDocument::OutlineItem> outline = d->outline();
    QCOMPARE(outline.size(), 3);
    QCOMPARE(outline.at(2).label, QStringLiteral("支払銀行　10　東都信用金庫"));
}

void TestReportEngine::pageBreaksRepeatHeadings_data()
{
    QTest::addColumn<int>("firstBank");
    QTest::addColumn<int>("secondBank");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QList<int>>("detailsPerPage");
    // A landscape page holds a bank heading and 25 notes.
    QTest::newRow("one page") << 20 << 0 << true << 1 << QList<int>{20};
    QTest::newRow("exactly full") << 25 << 0 << true << 2 << QList<int>{25, 0};
    QTest::newRow("three pages") << 60 << 3 << true << 3 << QList<int>{25, 25, 13};
    QTest::newRow("without repeated headings") << 60 << 3 << false << 3 << QList<int>{25, 26, 12};
}

void TestReportEngine::pageBreaksRepeatHeadings()
{
    QFETCH(int, firstBank);
    QFETCH(int, secondBank);
    QFETCH(bool, repeat);
    QFETCH(int, pages);
    QFETCH(QList<int>, detailsPerPage);
    ReportTestData::addNotes(*m_folder, firstBank + secondBank, [firstBank](int i) {
        return ReportTestData::Note{QStringLiteral("N%1").arg(i, 4, 10, QLatin1Char('0')),
                                    QDate(2024, 1, 1).addDays(i).toString(Qt::ISODate), 1000,
                                    i < firstBank ? QStringLiteral("1") : QStringLiteral("2")};
    });
    ReportRequest request = ReportTestData::request(10, *m_folder);
    request.repeatGroupHeadings = repeat;
    const auto d = ReportEngine::build(request);
    QCOMPARE(d->pageCount(), pages);

    const ReportPage first = d->page(0);
    int details = 0;
    for (int p = 0; p < pages; ++p) {
        const ReportPage page = d->page(p);
        QCOMPARE(page.title, QStringLiteral("手形帳"));
        QCOMPARE(page.pageNumber, QStringLiteral("%1 / %2").arg(p + 1).arg(pages));
        QCOMPARE(page.columns.size(), first.columns.size());
        for (qsizetype c = 0; c < page.columns.size(); ++c)
            QCOMPARE(page.columns.at(c).heading, first.columns.at(c).heading);
        QVERIFY(!page.lines.isEmpty());
        QVERIFY(page.lines.last().kind != Kind::GroupHeading);
        double height = 0;
        int onPage = 0;
        for (const ReportLine &l : page.lines) {
            height += d->metrics().lineHeight(l.kind);
            onPage += l.kind == Kind::Detail;
        }
        QVERIFY(height <= d->metrics().bodyHeight());
        QCOMPARE(onPage, detailsPerPage.at(p));
        details += onPage;
        if (p > 0 && page.lines.first().kind != Kind::GroupHeading && page.lines.first().kind != Kind::GrandTotal) {
            QCOMPARE(page.lines.first().kind, repeat ? Kind::ContinuedHeading : Kind::Detail);
            if (repeat)
                QCOMPARE(page.lines.first().label, QStringLiteral("支払銀行　1　中央銀行（続き）"));
        }
    }
    QCOMPARE(details, firstBank + secondBank);
    QCOMPARE(allLines(*d, Kind::GroupFooter).size(), secondBank ? 2 : 1);
    QCOMPARE(allLines(*d, Kind::GrandTotal).size(), 1);
}

void TestReportEngine::settlementOfTheDay()
{
    ReportTestData::addNote(*m_folder, QStringLiteral("K1"), QStringLiteral("2024-04-30"), 100000, QStringLiteral("1"));
    ReportTestData::addNote(*m_folder, QStringLiteral("K2"), QStringLiteral("2024-04-30"), 250000, QStringLiteral("1"),
                            QStringLiteral("110"), QStringLiteral("3"));
    ReportTestData::addNote(*m_folder, QStringLiteral("K3"), QStringLiteral("2024-04-30"), 50000, QStringLiteral("2"),
                            QStringLiteral("120"));
    ReportTestData::addNote(*m_folder, QStringLiteral("K4"), QStringLiteral("2024-05-01"), 70000, QStringLiteral("2"));
    const auto d = build(11, QStringLiteral("2024/04/30"));
    QCOMPARE(d->pageCount(), 1);
    const ReportPage page = d->page(0);
    QCOMPARE(page.subtitle, QStringLiteral("決済日　2024/04/30"));
    QStringList shape;
    for (const ReportLine &l : page.lines)
        shape.append(l.kind == Kind::Detail ? l.cells.join(QLatin1Char('|')) : l.label + QLatin1Char('|') + l.cells.value(2));
    QCOMPARE(shape, texts({"支払銀行　みなと銀行|", "K3|鈴木金属|50,000|未決済", "小計　1 件|50,000",
                                 "支払銀行　中央銀行|", "K1|山田製作所|100,000|未決済", "K2|佐藤工業|250,000|決済済み",
                                 "小計　2 件|350,000", "合計　3 件|400,000", "決済済み金額　1 件|250,000",
                                 "決済待ち金額　2 件|150,000"}));
}

void TestReportEngine::paymentPlanCrossTable()
{
    ReportTestData::addNote(*m_folder, QStringLiteral("P1"), QStringLiteral("2024-05-10"), 100000, QStringLiteral("1"),
                            QStringLiteral("100"));
    ReportTestData::addNote(*m_folder, QStringLiteral("P2"), QStringLiteral("2024-05-20"), 50000, QStringLiteral("1"),
                            QStringLiteral("100"));
    ReportTestData::addNote(*m_folder, QStringLiteral("P3"), QStringLiteral("2024-05-10"), 30000, QStringLiteral("2"),
                            QStringLiteral("110"));
    ReportTestData::addNote(*m_folder, QStringLiteral("P4"), QStringLiteral("2024-05-01"), 7000, QStringLiteral("2"),
                            QStringLiteral("120"));
    // Before the start date, and in the other accounting category: not counted.
    ReportTestData::addNote(*m_folder, QStringLiteral("P5"), QStringLiteral("2024-04-30"), 9000, QStringLiteral("1"),
                            QStringLiteral("100"));
    ReportTestData::addNote(*m_folder, QStringLiteral("P6"), QStringLiteral("2024-05-10"), 9000, QStringLiteral("1"),
                            QStringLiteral("100"), QStringLiteral("1"), QStringLiteral("2"));
    const auto d = build(12, QStringLiteral("2024/05/01"), QStringLiteral("1"));
    QCOMPARE(d->pageCount(), 1);
    const ReportPage page = d->page(0);
    QCOMPARE(page.subtitle, QStringLiteral("経理区分　1　短期　　決済日 2024/05/01 以降"));
    QStringList headings;
    for (const ReportPage::Column &c : page.columns)
        headings.append(c.heading);
    QCOMPARE(headings, texts({"振出先", "小計", "2024/05/01", "2024/05/10", "2024/05/20"}));
    QCOMPARE(page.lines.size(), 4);
    QCOMPARE(page.lines.at(0).cells, texts({"佐藤工業", "30,000", "", "30,000", ""}));
    QCOMPARE(page.lines.at(1).cells, texts({"山田製作所", "150,000", "", "100,000", "50,000"}));
    QCOMPARE(page.lines.at(2).cells, texts({"鈴木金属", "7,000", "7,000", "", ""}));
    QCOMPARE(page.lines.at(3).kind, Kind::GrandTotal);
    QCOMPARE(page.lines.at(3).label, QStringLiteral("合計"));
    QCOMPARE(page.lines.at(3).cells, texts({"", "187,000", "7,000", "130,000", "50,000"}));
}

void TestReportEngine::crossTableColumnsContinueOnNextPages_data()
{
    QTest::addColumn<int>("payees");
    QTest::addColumn<int>("dates");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QList<int>>("firstDateOfPage");
    // Nine dates fit beside the payee and its total on a landscape page;
    // a page holds 28 payees.
    QTest::newRow("one page") << 3 << 9 << 1 << QList<int>{0};
    QTest::newRow("dates across three pages") << 3 << 25 << 3 << QList<int>{0, 9, 18};
    QTest::newRow("payees down, dates across") << 40 << 10 << 4 << QList<int>{0, 9, 0, 9};
}

void TestReportEngine::crossTableColumnsContinueOnNextPages()
{
    QFETCH(int, payees);
    QFETCH(int, dates);
    QFETCH(int, pages);
    QFETCH(QList<int>, firstDateOfPage);
    m_folder->exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL "
                                  "SELECT i + 1 FROM n WHERE i + 1 < ?) SELECT printf('P%03d', i), "
                                  "printf('振出先%03d', i) FROM n"),
                   {payees});
    ReportTestData::addNotes(*m_folder, payees * dates, [dates](int i) {
        const QString code = QStringLiteral("P%1").arg(i / dates, 3, 10, QLatin1Char('0'));
        return ReportTestData::Note{QStringLiteral("%1-%2").arg(code).arg(i % dates),
                                    QDate(2024, 6, 1).addDays(i % dates).toString(Qt::ISODate), 1000,
                                    QStringLiteral("1"), code};
    });
    const auto d = build(12, QStringLiteral("2024/06/01"), QStringLiteral("1"));
    QCOMPARE(d->pageCount(), pages);
    QCOMPARE(d->rowCount(), payees);
    int totals = 0;
    for (int p = 0; p < pages; ++p) {
        const ReportPage page = d->page(p);
        QCOMPARE(page.pageNumber, QStringLiteral("%1 / %2").arg(p + 1).arg(pages));
        QCOMPARE(page.columns.at(0).heading, QStringLiteral("振出先"));
        QCOMPARE(page.columns.at(1).heading, QStringLiteral("小計"));
        QCOMPARE(page.columns.at(2).heading,
                 QDate(2024, 6, 1).addDays(firstDateOfPage.at(p)).toString(QStringLiteral("yyyy/MM/dd")));
        QVERIFY(page.columns.last().x + page.columns.last().width <= d->metrics().usableWidth());
        QVERIFY(page.lines.first().cells.first().startsWith(QStringLiteral("振出先")));
        for (const ReportLine &l : page.lines) {
            if (l.kind == Kind::GrandTotal) {
                ++totals;
                QCOMPARE(l.cells.at(1), ReportFormat::number(1000.0 * payees * dates, QStringLiteral("#,##0")));
            } else {
                QCOMPARE(l.cells.at(1), ReportFormat::number(1000.0 * dates, QStringLiteral("#,##0")));
                QCOMPARE(l.cells.at(2), QStringLiteral("1,000"));
            }
        }
    }
    // The totals line ends every slice of the last band of payees.
    QCOMPARE(totals, (dates + 8) / 9);
}

void TestReportEngine::emptySourceGivesHeadingsAndNotice_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("emptyTable");
    QTest::newRow("banks") << 2 << "kbn6";
    QTest::newRow("notes list") << 8 << "SiteTbl";
    QTest::newRow("explorer list") << 9 << "TMPTbl";
    QTest::newRow("notes book") << 10 << "SiteTbl";
    QTest::newRow("settlement") << 11 << "SiteTbl";
    QTest::newRow("payment plan") << 12 << "SiteTbl";
}

void TestReportEngine::emptySourceGivesHeadingsAndNotice()
{
    QFETCH(int, number);
    QFETCH(QString, emptyTable);
    m_folder->exec(QStringLiteral("DELETE FROM ") + emptyTable);
    const auto d = build(number, QStringLiteral("2024/04/30"), QStringLiteral("1"));
    QCOMPARE(d->pageCount(), 1);
    const ReportPage page = d->page(0);
    QVERIFY(page.columns.size() >= 2);
    QVERIFY(!page.columns.first().heading.isEmpty());
    QCOMPARE(page.lines.size(), 1);
    QCOMPARE(page.lines.first().kind, Kind::Empty);
    QCOMPARE(page.lines.first().label, QStringLiteral("印刷するデータはありません。"));
    QCOMPARE(page.pageNumber, QStringLiteral("1 / 1"));
}

void TestReportEngine::readsTheDataFolderWhateverTheFileSays()
{
    TestDataFolder other;
    other.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('9', '別の銀行')"));
    QFile shipped(ReportTestData::reportFolder() + QStringLiteral("RBBank1.rpt"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(shipped.readAll());
    text.replace(QStringLiteral("[Report]\n"), QStringLiteral("[Report]\nLocation=%1\n").arg(other.databasePath()));
    ReportRequest request = ReportTestData::request(2, *m_folder);
    request.definitionPath = writeDefinition(QStringLiteral("RBBank1.rpt"), text);
    const auto d = ReportEngine::build(request);
    QCOMPARE(d->definition().location, other.databasePath());
    QCOMPARE(column(allLines(*d, Kind::Detail), 1), texts({"中央銀行", "みなと銀行", "東都信用金庫"}));
}

void TestReportEngine::failuresNameTheFile_data()
{
    QTest::addColumn<QString>("definition");
    QTest::addColumn<bool>("database");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reason");
    const QString head = QStringLiteral("[Report]\nTitle=T\nSource=%1\n[Column]\nField=%2\nWidth=20\n");
    QTest::newRow("missing file") << "" << true << "definition" << "見つかりません";
    QTest::newRow("invalid file") << "[Report]\nTitle=T\n" << true << "definition" << "Source";
    QTest::newRow("no such source") << head.arg(QStringLiteral("NoTable"), QStringLiteral("X")) << true
                                    << "definition" << "NoTable";
    QTest::newRow("no such column") << head.arg(QStringLiteral("kbn6"), QStringLiteral("Missing")) << true
                                    << "definition" << "Missing";
    QTest::newRow("no database") << head.arg(QStringLiteral("kbn6"), QStringLiteral("KbnCode")) << false << "database"
                                 << "データベース";
}

void TestReportEngine::failuresNameTheFile()
{
    QFETCH(QString, definition);
    QFETCH(bool, database);
    QFETCH(QString, file);
    QFETCH(QString, reason);
    TestDataFolder empty(false);
    ReportRequest request = ReportTestData::request(2, database ? *m_folder : empty);
    request.definitionPath = definition.isEmpty() ? m_scratch->filePath(QStringLiteral("RBBank1.rpt"))
                                                  : writeDefinition(QStringLiteral("RBBank1.rpt"), definition);
    try {
        ReportEngine::build(request);
        QFAIL("the report was made");
    } catch (const ReportError &e) {
        QCOMPARE(e.file(), file == QLatin1String("database") ? empty.databasePath() : request.definitionPath);
        QVERIFY2(e.reason().contains(reason), qPrintable(e.reason()));
        QVERIFY(e.text().contains(e.file()));
    }
}

void TestReportEngine::pdfHasOnePagePerReportPage_data()
{
    QTest::addColumn<int>("notes");
    QTest::addColumn<int>("pages");
    QTest::newRow("empty") << 0 << 1;
    QTest::newRow("three pages") << 60 << 3;
}

void TestReportEngine::pdfHasOnePagePerReportPage()
{
    QFETCH(int, notes);
    QFETCH(int, pages);
    ReportTestData::addNotes(*m_folder, notes, [](int i) {
        return ReportTestData::Note{QStringLiteral("N%1").arg(i), QDate(2024, 1, 1).addDays(i).toString(Qt::ISODate)};
    });
    const auto d = build(10);
    QCOMPARE(d->pageCount(), pages);
    const QString path = m_scratch->filePath(QStringLiteral("notes.pdf"));
    QList<int> progress;
    ReportPdf::write(*d, path, [&progress](int written) { progress.append(written); });
    QCOMPARE(ReportTestData::pdfPages(path), pages);
    QCOMPARE(progress.size(), pages);
    QCOMPARE(progress.last(), pages);

    try {
        ReportPdf::write(*d, m_scratch->filePath(QStringLiteral("no/such/folder/x.pdf")));
        QFAIL("a PDF was written into a missing folder");
    } catch (const ReportError &e) {
        QVERIFY(e.file().endsWith(QStringLiteral("x.pdf")));
    }
}

QTEST_MAIN(TestReportEngine)
#include "tst_ReportEngine.moc"
