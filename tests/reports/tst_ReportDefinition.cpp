#include "ReportTestData.h"

#include "reports/ReportDefinition.h"
#include "reports/ReportError.h"

#include <QTemporaryDir>
#include <QtTest>

class TestReportDefinition : public QObject
{
    Q_OBJECT

private slots:
    void shippedDefinitionsLoad_data();
    void shippedDefinitionsLoad();
    void readsEverySection();
    void refusesMistakes_data();
    void refusesMistakes();
    void unreadableFilesAreNamed_data();
    void unreadableFilesAreNamed();
};

void TestReportDefinition::shippedDefinitionsLoad_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("landscape");
    QTest::newRow("1") << "FridasiSaki1.rpt" << "仕入先一覧" << "SireCliant" << true;
    QTest::newRow("2") << "RBBank1.rpt" << "銀行一覧" << "kbn6" << false;
    QTest::newRow("3") << "RBKubun1.rpt" << "手形種類一覧" << "kbn1" << false;
    QTest::newRow("4") << "RBYoto1.rpt" << "手形目的一覧" << "kbn2" << false;
    QTest::newRow("5") << "RBJyotai1.rpt" << "手形状態一覧" << "Kbn3" << false;
    QTest::newRow("6") << "RBKeiriKbn.rpt" << "経理区分一覧" << "Kbn4" << false;
    QTest::newRow("7") << "RBClKbn1.rpt" << "仕入先区分一覧" << "Kbn5" << false;
    QTest::newRow("8") << "Ribodo1.rpt" << "支払手形一覧" << "QRYRibodo" << true;
    QTest::newRow("9") << "RBEX1.rpt" << "手形照会一覧" << "TMPTbl" << true;
    QTest::newRow("10") << "RBNote.rpt" << "手形帳" << "QRYRibodo" << true;
    QTest::newRow("11") << "RBKesai.rpt" << "手形決済一覧" << "QRYKesai" << false;
    QTest::newRow("12") << "RBCross.rpt" << "振出先別支払予定表" << "QRYRibodo" << true;
}

void TestReportDefinition::shippedDefinitionsLoad()
{
    QFETCH(QString, file);
    QFETCH(QString, title);
    QFETCH(QString, source);
    QFETCH(bool, landscape);
    const ReportDefinition d = ReportDefinition::load(ReportTestData::reportFolder() + file);
    QCOMPARE(d.title, title);
    QCOMPARE(d.source, source);
    QCOMPARE(d.orientation, landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QCOMPARE(d.paper, QPageSize::A4);
}

void TestReportDefinition::readsEverySection()
{
    const ReportDefinition d = ReportDefinition::parse(QStringLiteral(
            "# a comment\n"
            "[Report]\n"
            "title = 見本\n"
            "Subtitle=決済日 {ReportDate}\n"
            "Source=QRYRibodo\n"
            "Location=C:\\old\\dbRibodo.mdb\n"
            "Sort=TKDate desc, TNo numeric\n"
            "Paper=B4\n"
            "Orientation=Landscape\n"
            "Margins=10\n"
            "FontSize=8.5\n"
            "RowHeight=5\n"
            "\n"
            "[Lookup]\n"
            "Field=TCond\n"
            "Table=Kbn3\n"
            "Name=StateName\n"
            "[Column]\n"
            "Field=clAddress1 + claddress2\n"
            "Heading=住所\n"
            "Width=60\n"
            "[Column]\n"
            "Field=TKingaku\n"
            "Width=30\n"
            "Align=right\n"
            "Format=##,###\n"
            "Sum=Yes\n"
            "[Group]\n"
            "Field=TBank numeric\n"
            "[Summary]\n"
            "Label=決済済み\n"
            "Field=TKingaku\n"
            "Where={QRYRibodo.TCond} = '3'\n"),
                                                       QStringLiteral("sample.rpt"));
    QCOMPARE(d.title, QStringLiteral("見本"));
    QCOMPARE(d.location, QStringLiteral("C:\\old\\dbRibodo.mdb"));
    QCOMPARE(d.sort.size(), 2);
    QVERIFY(d.sort.at(0).descending && !d.sort.at(0).numeric);
    QVERIFY(d.sort.at(1).numeric && !d.sort.at(1).descending);
    QCOMPARE(d.paper, QPageSize::JisB4);
    QCOMPARE(d.paperSizeMm(), QSizeF(364, 257));
    QCOMPARE(d.marginMm, 10.0);
    QCOMPARE(d.fontSizePt, 8.5);
    QCOMPARE(d.lookups.size(), 1);
    QCOMPARE(d.lookups.first().match, QStringLiteral("KbnCode"));
    QCOMPARE(d.lookups.first().value, QStringLiteral("KbnName"));
    QCOMPARE(d.columns.first().fields, QStringList({QStringLiteral("clAddress1"), QStringLiteral("claddress2")}));
    QCOMPARE(d.columns.first().alignment, Qt::AlignLeft);
    QCOMPARE(d.columns.last().alignment, Qt::AlignRight);
    QVERIFY(d.columns.last().sum && !d.columns.first().sum);
    QCOMPARE(d.groups.first().key.field, QStringLiteral("TBank"));
    QCOMPARE(d.groups.first().heading, QStringLiteral("{TBank}"));
    QCOMPARE(d.groups.first().footer, QStringLiteral("小計"));
    QCOMPARE(d.summaries.first().where, QStringLiteral("{QRYRibodo.TCond} = '3'"));
    QCOMPARE(d.totalLabel, QStringLiteral("合計"));
}

void TestReportDefinition::refusesMistakes_data()
{
    const QString head = QStringLiteral("[Report]\nTitle=T\nSource=kbn1\n");
    const QString column = QStringLiteral("[Column]\nField=KbnCode\nWidth=20\n");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << "" << "[Report]";
    QTest::newRow("column first") << column + head << "[Report]";
    QTest::newRow("unknown key") << head + QStringLiteral("Colour=red\n") + column << "4 行目";
    QTest::newRow("unknown section") << head + column + QStringLiteral("[Footer]\n") << "[Footer]";
    QTest::newRow("no title") << QStringLiteral("[Report]\nSource=kbn1\n") + column << "Title";
    QTest::newRow("source not a name") << QStringLiteral("[Report]\nTitle=T\nSource=kbn1; DROP\n") + column
                                       << "kbn1; DROP";
    QTest::newRow("no equals") << head + QStringLiteral("Paper\n") + column << "4 行目";
    QTest::newRow("no width") << head + QStringLiteral("[Column]\nField=KbnCode\n") << "Width";
    QTest::newRow("negative width") << head + QStringLiteral("[Column]\nField=KbnCode\nWidth=-3\n") << "-3";
    QTest::newRow("field not a name") << head + QStringLiteral("[Column]\nField=Kbn\"Code\nWidth=3\n") << "Kbn\"Code";
    QTest::newRow("alignment") << head + column + QStringLiteral("Align=Middle\n") << "Align";
    QTest::newRow("paper") << head + QStringLiteral("Paper=A0\n") + column << "A0";
    QTest::newRow("sum") << head + column + QStringLiteral("Sum=maybe\n") << "Sum";
    QTest::newRow("sort") << head + QStringLiteral("Sort=KbnCode sideways\n") + column << "sideways";
    QTest::newRow("no columns") << head << "[Column]";
    QTest::newRow("too wide") << head + QStringLiteral("[Column]\nField=KbnCode\nWidth=150\n[Column]\nField=KbnName\nWidth=50\n")
                              << "200.0 mm";
    QTest::newRow("cross and columns") << head + column
                    + QStringLiteral("[CrossTab]\nRows=ClName\nColumns=TKDate\nValues=TKingaku\n")
                                       << "[CrossTab]";
    QTest::newRow("two reports") << head + column + head << "[Report]";
}

void TestReportDefinition::refusesMistakes()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);
    try {
        ReportDefinition::parse(text, QStringLiteral("bad.rpt"));
        QFAIL("a mistaken definition was accepted");
    } catch (const ReportError &e) {
        QCOMPARE(e.file(), QStringLiteral("bad.rpt"));
        QVERIFY2(e.reason().contains(reason), qPrintable(e.reason()));
        QVERIFY(e.text().contains(QStringLiteral("bad.rpt")));
    }
}

void TestReportDefinition::unreadableFilesAreNamed_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("create");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QByteArray() << false << "見つかりません";
    QTest::newRow("not UTF-8") << QByteArray("[Report]\nTitle=\x93\xfa\x96\x7b\n") << true << "UTF-8";
    QTest::newRow("empty") << QByteArray() << true << "[Report]";
}

void TestReportDefinition::unreadableFilesAreNamed()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, create);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("RBNote.rpt"));
    if (create) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    try {
        ReportDefinition::load(path);
        QFAIL("an unreadable file was accepted");
    } catch (const ReportError &e) {
        QCOMPARE(e.file(), path);
        QVERIFY2(e.reason().contains(reason), qPrintable(e.reason()));
    }
}

QTEST_MAIN(TestReportDefinition)
#include "tst_ReportDefinition.moc"
