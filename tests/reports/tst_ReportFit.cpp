#include "ReportTestData.h"
#include "TestDataFolder.h"

#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "reports/ReportError.h"
#include "reports/ReportPdf.h"
#include "reports/SelectionFormula.h"
#include "store/Connection.h"
#include "store/Schema.h"

#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
const QString longPayee = u"株式会社ＡＢＣホールディングス東日本"_s;
const QString longBank = u"東日本みらい信用金庫ホールディングス本店営業部"_s;
const QString longNumber = u"TK-2024-000000012345"_s;
}

// What a report prints, read back from the text of its PDF, and how strictly
// its selection formula is read: a misspelt column is refused, the empty text
// is a value, and nesting has a limit.
class TestReportFit : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_folder = std::make_unique<TestDataFolder>();
        ReportTestData::addMasters(*m_folder);
        m_folder->exec(u"INSERT INTO SireCliant (ClCode, ClName) VALUES ('130', ?)"_s, {longPayee});
        m_folder->exec(u"INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('30', ?)"_s, {longBank});
        // Too long for one line: it runs on two.
        m_folder->exec(u"INSERT INTO SireCliant (ClCode, ClName) VALUES ('140', ?)"_s,
                       {longPayee + u"第二営業本部関東支社資材調達部購買課"_s});
    }

    void wholeTexts_data()
    {
        QTest::addColumn<int>("report");
        QTest::addColumn<QStringList>("expected");
        const QString title = u"支払手形一覧"_s;
        const QString amount = u"9,999,999,999"_s;
        const QString total = u"20,000,002,998"_s;
        const QString lost = u"(未登録 999)"_s;
        const QString lost98 = u"(未登録 98)"_s;
        QTest::newRow("1 suppliers") << 1 << QStringList{longPayee, u"山田製作所"_s};
        QTest::newRow("8 notes") << 8 << QStringList{title, longNumber, longPayee, longBank, amount, total, lost, lost98,
                                                     u"一行目 二行目"_s};
        QTest::newRow("9 explorer list") << 9 << QStringList{longNumber, longPayee, longBank, amount};
        QTest::newRow("10 notes book") << 10 << QStringList{u"手形帳"_s, longNumber, longPayee, longBank, amount, lost, lost98};
        // Report 11 has no bank column: two marks are two group headings.
        QTest::newRow("11 settlement") << 11 << QStringList{u"手形決済一覧"_s, longNumber, longPayee, longBank, lost, lost98,
                                                            u"(未登録 99)"_s};
        QTest::newRow("12 payment plan") << 12 << QStringList{u"振出先別支払予定表"_s, longPayee, lost, amount, total};
    }

    void wholeTexts()
    {
        QFETCH(int, report);
        QFETCH(QStringList, expected);
        using N = ReportTestData::Note;
        ReportTestData::addNotes(*m_folder, {
                N{longNumber, u"2024-04-30"_s, 9999999999, u"30"_s, u"130"_s},
                N{u"Y-1"_s, u"2024-04-30"_s, 9999999999, u"1"_s, u"100"_s, u"1"_s, u"1"_s, u"一行目\n二行目"_s},
                // Payee 999 and banks 98 and 99 have been deleted.
                N{u"D-1"_s, u"2024-04-30"_s, 1000, u"98"_s, u"999"_s},
                N{u"D-2"_s, u"2024-04-30"_s, 2000, u"99"_s, u"999"_s},
                N{u"L-1"_s, u"2024-04-30"_s, 0, u"1"_s, u"140"_s},
        });
        m_folder->exec(u"INSERT INTO TMPTbl (F1, F2, F3, F4, F5, F6, F7) "
                       "VALUES ('2024/01/10', ?, ?, '9,999,999,999', '2024/04/30', ?, '')"_s,
                       {longNumber, longPayee, longBank});
        const QString text = pdfText(report, u"2024/04/30"_s, u"1"_s);
        for (const QString &e : std::as_const(expected))
            QVERIFY2(text.contains(e), qPrintable(e + u" not in:\n"_s + text));
        QVERIFY2(!text.contains(QChar(0x2026)), "a text was cut");
        // Kanji are named by their own code points, not by radicals.
        QVERIFY(!text.contains(QChar(0x2F3F)) && !text.contains(QChar(0x2F47)));
    }

    // Every kanji that IPAex draws with the glyph of a radical (CJK radicals
    // supplement, Kangxi radicals) comes back from pdftotext as itself.
    void radicalKanji()
    {
        const QString kanji = u"㣺一丨丬丶丿乙乚亀亅二亠人亻儿兀入八冂冖冫几凵刀刂力勹匕匚匸十卜卩厂厶又口囗土士夂夊夕"
                              "大女子宀寸小尢尣尸屮山巛工己巳巾干幺广廴廾弋弓彐彑彡彳心忄戈戸手扌支攴攵文斉斗斤方无旡日曰"
                              "月木欠止歯歹歺殳毋母比毛氏民气水氵火灬爪父爻爿片牙牛犬犭玄玉瓜瓦甘生用田疋疒癶白皮皿目矛矢"
                              "石示礻禸禾穴立竜竹米糸缶网罒羊羽老耂而耒耳聿肉臣自至臼舌舛舟艮色艸艹虍虎虫血行衣衤襾西覀見"
                              "角言谷豆豕豸貝赤走足身車辛辰辵辶邑酉釆里金長镸門阜阝隶隹雨靑青非面革韋韭音頁風飛食飠首香馬"
                              "骨高髟鬥鬯鬲鬼魚鳥鹵鹿麥麦麻黃黄黍黒黹黽鼎鼓鼠鼻齊齒龍龜龠"_s;
        for (qsizetype i = 0; i < kanji.size(); i += 12)
            m_folder->exec(u"INSERT INTO SireCliant (ClCode, ClName) VALUES (?, ?)"_s,
                           {u"R%1"_s.arg(i, 3, 10, QLatin1Char('0')), kanji.mid(i, 12)});
        const QString text = pdfText(1, QString(), QString());
        for (const QChar c : kanji)
            QVERIFY2(text.contains(c), qPrintable(QString(c)));
        for (const QChar c : text)
            QVERIFY2(!(c.unicode() >= 0x2E80 && c.unicode() <= 0x2FDF), qPrintable(QString(c)));
    }

    // The tools run where there is no display, without being told.
    void toolsWithoutDisplay_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments"); // %1 the data folder, %2 a scratch folder
        QTest::addColumn<QString>("written");
        QTest::newRow("ribodo-reportpdf") << QStringLiteral(RIBODO_REPORTPDF_TOOL)
                                          << QStringList{u"10"_s, u"%1"_s, u"%2/book.pdf"_s} << u"book.pdf"_s;
        QTest::newRow("ribodo-datafolder") << QStringLiteral(RIBODO_DATAFOLDER_TOOL)
                                           << QStringList{u"create"_s, u"%2/new"_s} << u"new/help/RBHelp.html"_s;
    }

    void toolsWithoutDisplay()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QTemporaryDir scratch;
        for (QString &a : arguments)
            a = a.replace(u"%1"_s, m_folder->path()).replace(u"%2"_s, scratch.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
            environment.remove(name);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(tool, arguments);
        QVERIFY(process.waitForFinished(60000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        QFETCH(QString, written);
        QVERIFY(QFileInfo(scratch.filePath(written)).size() > 0);
    }

    void misspeltFieldIsRefused_data()
    {
        QTest::addColumn<int>("report");
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("field"); // empty: the report is made
        QTest::newRow("misspelt state") << 11 << "{QRYKesai.Jyoutai} = '決済済み'" << "{QRYKesai.Jyoutai}";
        QTest::newRow("misspelt, second term") << 10 << "{QRYRibodo.TCond} = '1' AND {QRYRibodo.TKingak} > 0"
                                               << "{QRYRibodo.TKingak}";
        QTest::newRow("any letter case") << 10 << "{QRYRibodo.tcond} = '1'" << "";
    }

    void misspeltFieldIsRefused()
    {
        QFETCH(int, report);
        QFETCH(QString, formula);
        QFETCH(QString, field);
        ReportRequest request = ReportTestData::request(report, *m_folder, u"2024/04/30"_s, u"1"_s);
        request.selectionFormula = formula;
        try {
            ReportEngine::build(request);
            QVERIFY2(field.isEmpty(), "a misspelt field was read as a text");
        } catch (const ReportError &e) {
            QVERIFY2(!field.isEmpty() && e.reason().contains(field), qPrintable(e.reason()));
            QCOMPARE(QFileInfo(e.file()).fileName(), QFileInfo(request.definitionPath).fileName());
        }
    }

    void emptyTextSelectsEmptyColumns_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("selected");
        QTest::newRow("= ''") << "{QRYRibodo.TRemarks} = ''" << "E1,N1";
        QTest::newRow("= \"\"") << "{QRYRibodo.TRemarks} = \"\"" << "E1,N1";
        QTest::newRow("'' first") << "'' = {QRYRibodo.TRemarks}" << "E1,N1";
        QTest::newRow("<> ''") << "{QRYRibodo.TRemarks} <> ''" << "X1";
    }

    void emptyTextSelectsEmptyColumns()
    {
        QFETCH(QString, formula);
        QFETCH(QString, selected);
        ReportTestData::addNotes(*m_folder, {{u"E1"_s, u"2024-05-10"_s},
                                             {u"X1"_s, u"2024-05-10"_s, 1000, u"1"_s, u"100"_s, u"1"_s, u"1"_s, u"x"_s},
                                             {u"N1"_s, u"2024-05-10"_s}});
        m_folder->exec(u"UPDATE SiteTbl SET TRemarks = NULL WHERE TNo = 'N1'"_s);
        const SqlCondition c = SelectionFormula::toSql(formula, u"QRYRibodo"_s, u"X.rpt"_s);
        Connection connection;
        connection.open(Schema::connectionText(m_folder->path()));
        QSqlQuery &q = connection.exec(
                u"SELECT group_concat(TNo) FROM (SELECT TNo FROM QRYRibodo WHERE "_s + c.sql + u" ORDER BY TNo)"_s, c.values);
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), selected);
    }

    void nestingHasALimit_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("taken");
        QTest::newRow("200 deep") << 200 << true;
        QTest::newRow("201 deep") << 201 << false;
        QTest::newRow("100,000 deep") << 100000 << false;
    }

    void nestingHasALimit()
    {
        QFETCH(int, depth);
        QFETCH(bool, taken);
        const QString formula = QString(depth, u'(') + u"{QRYRibodo.TCond} = '1'"_s + QString(depth, u')');
        try {
            SelectionFormula::toSql(formula, u"QRYRibodo"_s, u"X.rpt"_s);
            QVERIFY(taken);
        } catch (const ReportError &e) {
            QVERIFY2(!taken, qPrintable(e.reason().left(200)));
            QCOMPARE(e.file(), u"X.rpt"_s);
        }
    }

private:
    QString pdfText(int report, const QString &date, const QString &keiri)
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"r.pdf"_s);
        ReportPdf::write(*ReportEngine::build(ReportTestData::request(report, *m_folder, date, keiri)), pdf);
        QProcess tool;
        tool.start(u"pdftotext"_s, {u"-enc"_s, u"UTF-8"_s, pdf, u"-"_s});
        if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
            return u"pdftotext failed: "_s + QString::fromLocal8Bit(tool.readAllStandardError());
        return QString::fromUtf8(tool.readAllStandardOutput());
    }

    std::unique_ptr<TestDataFolder> m_folder;
};

QTEST_MAIN(TestReportFit)
#include "tst_ReportFit.moc"
