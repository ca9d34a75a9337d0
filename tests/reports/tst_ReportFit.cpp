#include "ReportTestData.h"
#include "TestDataFolder.h"

#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "reports/ReportPdf.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString longPayee = QStringLiteral("株式会社ＡＢＣホールディングス東日本");
const QString longBank = QStringLiteral("東日本みらい信用金庫ホールディングス本店営業部");
const QString longNumber = QStringLiteral("TK-2024-000000012345");
}

// What a report prints, read back from the text of its PDF.
class TestReportFit : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_folder = std::make_unique<TestDataFolder>();
        ReportTestData::addMasters(*m_folder);
        m_folder->exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('130', ?)"), {longPayee});
        m_folder->exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('30', ?)"), {longBank});
        // Too long for one line: it runs on two.
        m_folder->exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('140', ?)"),
                       {longPayee + QStringLiteral("第二営業本部関東支社資材調達部購買課")});
    }

    void wholeTexts_data()
    {
        QTest::addColumn<int>("report");
        QTest::addColumn<QStringList>("expected");
        using N = ReportTestData::Note;
        m_notes = {
                N{longNumber, QStringLiteral("2024-04-30"), 9999999999, QStringLiteral("30"), QStringLiteral("130")},
                N{QStringLiteral("Y-1"), QStringLiteral("2024-04-30"), 9999999999, QStringLiteral("1"),
                  QStringLiteral("100"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("一行目\n二行目")},
                // Payee 999 and banks 98 and 99 have been deleted.
                N{QStringLiteral("D-1"), QStringLiteral("2024-04-30"), 1000, QStringLiteral("98"),
                  QStringLiteral("999")},
                N{QStringLiteral("D-2"), QStringLiteral("2024-04-30"), 2000, QStringLiteral("99"),
                  QStringLiteral("999")},
                N{QStringLiteral("L-1"), QStringLiteral("2024-04-30"), 0, QStringLiteral("1"), QStringLiteral("140")},
        };
        const QString title = QStringLiteral("支払手形一覧");
        const QString amount = QStringLiteral("9,999,999,999");
        const QString total = QStringLiteral("20,000,002,998");
        const QString lost = QStringLiteral("(未登録 999)");
        QTest::newRow("1 suppliers") << 1 << QStringList{longPayee, QStringLiteral("山田製作所")};
        QTest::newRow("8 notes") << 8
                                 << QStringList{title, longNumber, longPayee, longBank, amount, total, lost,
                                                QStringLiteral("(未登録 98)"), QStringLiteral("一行目 二行目")};
        QTest::newRow("9 explorer list") << 9 << QStringList{longNumber, longPayee, longBank, amount};
        QTest::newRow("10 notes book") << 10
                                       << QStringList{QStringLiteral("手形帳"), longNumber, longPayee, longBank, amount,
                                                      lost, QStringLiteral("(未登録 98)")};
        QTest::newRow("11 settlement") << 11
                                       << QStringList{QStringLiteral("手形決済一覧"), longNumber, longPayee, longBank,
                                                      // Report 11 has no bank column: two marks are
                                                      // two group headings.
                                                      lost, QStringLiteral("(未登録 98)"),
                                                      QStringLiteral("(未登録 99)")};
        QTest::newRow("12 payment plan") << 12
                                         << QStringList{QStringLiteral("振出先別支払予定表"), longPayee, lost, amount,
                                                        total};
    }

    void wholeTexts()
    {
        QFETCH(int, report);
        QFETCH(QStringList, expected);
        ReportTestData::addNotes(*m_folder, m_notes);
        m_folder->exec(QStringLiteral("INSERT INTO TMPTbl (F1, F2, F3, F4, F5, F6, F7) "
                                      "VALUES ('2024/01/10', ?, ?, '9,999,999,999', '2024/04/30', ?, '')"),
                       {longNumber, longPayee, longBank});
        const QString text = pdfText(report, QStringLiteral("2024/04/30"), QStringLiteral("1"));
        for (const QString &e : std::as_const(expected))
            QVERIFY2(text.contains(e), qPrintable(e + QStringLiteral(" not in:\n") + text));
        QVERIFY2(!text.contains(QChar(0x2026)), "a text was cut");
        // Kanji are named by their own code points, not by radicals.
        QVERIFY(!text.contains(QChar(0x2F3F)) && !text.contains(QChar(0x2F47)));
    }

    // A subtotal that a page break pushes onto the next page comes with its
    // bank's name.
    void subtotalNeverNameless()
    {
        bool seen = false;
        for (int count = 30; count < 46 && !seen; ++count) {
            TestDataFolder folder;
            ReportTestData::addMasters(folder);
            ReportTestData::addNotes(folder, count, [](int i) {
                return ReportTestData::Note{QStringLiteral("N%1").arg(i, 3, 10, QLatin1Char('0')),
                                            QStringLiteral("2024-04-30")};
            });
            const auto document = ReportEngine::build(ReportTestData::request(11, folder, QStringLiteral("2024/04/30")));
            for (int p = 1; p < document->pageCount(); ++p) {
                const QList<ReportLine> lines = document->page(p).lines;
                QVERIFY(lines.first().kind != ReportLine::Kind::GroupFooter);
                if (lines.size() > 1 && lines.at(1).kind == ReportLine::Kind::GroupFooter) {
                    QCOMPARE(lines.first().label, QStringLiteral("支払銀行　中央銀行（続き）"));
                    seen = true;
                }
            }
        }
        QVERIFY(seen);
    }

private:
    QString pdfText(int report, const QString &date, const QString &keiri)
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
        const auto document = ReportEngine::build(ReportTestData::request(report, *m_folder, date, keiri));
        ReportPdf::write(*document, pdf);
        QProcess tool;
        tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf,
                                                 QStringLiteral("-")});
        if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
            return QStringLiteral("pdftotext failed: ") + QString::fromLocal8Bit(tool.readAllStandardError());
        return QString::fromUtf8(tool.readAllStandardOutput());
    }

    std::unique_ptr<TestDataFolder> m_folder;
    QList<ReportTestData::Note> m_notes;
};

QTEST_MAIN(TestReportFit)
#include "tst_ReportFit.moc"
