#include "ServerRegister.h"
#include "TestDataFolder.h"

#include "exchange/CsvExport.h"
#include "exchange/ExportSource.h"
#include "exchange/JournalExport.h"
#include "exchange/RegisterExport.h"
#include "exchange/SavedFile.h"
#include "exchange/XlsxExport.h"
#include "store/StoreError.h"

#include <QFile>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <csignal>
#endif

namespace {

// Three columns of every kind; the second row's text holds a quote, a comma
// and a line break.
class Rows : public ExportSource
{
public:
    QList<Column> columns() const override
    {
        return {{QStringLiteral("手形番号"), Kind::Text}, {QStringLiteral("金額"), Kind::Amount},
                {QStringLiteral("決済日"), Kind::Date}};
    }
    int rowCount() const override { return 2; }
    Cell cell(int row, int column) const override
    {
        if (column == 1)
            return row == 0 ? amountCell(1234567) : textCell(QString());
        if (column == 2)
            return dateCell(QDate(2024, 4, 30).addDays(row));
        return textCell(row == 0 ? QStringLiteral("007") : text());
    }
    static QString text() { return QStringLiteral("山田\"商事\", 本店\n営業部"); }
};

// One text column of given texts.
class Texts : public ExportSource
{
public:
    explicit Texts(QStringList texts)
        : m_texts(std::move(texts))
    {
    }
    QList<Column> columns() const override { return {{QStringLiteral("備考"), Kind::Text}}; }
    int rowCount() const override { return int(m_texts.size()); }
    Cell cell(int row, int) const override { return textCell(m_texts.at(row)); }

private:
    QStringList m_texts;
};

QStringList leftovers(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList({QStringLiteral(".~*")}, QDir::Files | QDir::Hidden);
}

const auto writeFile = &TestDataFolder::writeFile;

const auto readAll = &TestDataFolder::fileBytes;

// Payee 100 and bank 1, as the journals name them.
void addPayeeAndBank(const TestDataFolder &f, const QString &payee, const QString &bank = QStringLiteral("中央銀行 本店"))
{
    f.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('100', ?)"), {payee});
    f.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('1', ?)"), {bank});
}

// The journal of January 2024 as written, read back from Shift_JIS.
QString januaryJournal(const TestDataFolder &f, JournalExport::Result *result = nullptr)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shiwake.csv"));
    const JournalExport::Result r =
            JournalExport::write(f.path(), QDate(2024, 1, 1), QDate(2024, 1, 31), path, JournalAccounts::load(f.path()));
    if (result)
        *result = r;
    return QStringDecoder("Shift_JIS")(readAll(path));
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { ServerRegister::addEngineRows(); }
    void init() { QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error())); }

    void workbookReadsBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("一覧.xlsx"));
        XlsxExport::write(Rows(), path, QStringLiteral("手形エクスプローラー"), QDateTime(QDate(2024, 5, 1), QTime(9, 0)));
        QCOMPARE(leftovers(dir), QStringList());
        QCOMPARE(XlsxExport::readBack(path, 3), QString());
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, QStringLiteral("xl/worksheets/sheet1.xml"),
                                              QStringLiteral("xl/styles.xml")});
        QVERIFY(unzip.waitForFinished());
        const QString xml = QString::fromUtf8(unzip.readAllStandardOutput());
        // The amount and the date are numbers (45412 is 2024/04/30) in the
        // styles #,##0 and yyyy/mm/dd. 山田"商事", 本店 is 16 half-width
        // letters wide: column A is 16 + 2.
        for (const QString &part : {QStringLiteral("<t>手形番号</t>"), QStringLiteral("<t>007</t>"), QStringLiteral("<pane ySplit=\"1\""),
                                    QStringLiteral("<oddHeader>&amp;L手形エクスプローラー&amp;R印刷日 2024/05/01</oddHeader>"),
                                    QStringLiteral("<v>1234567</v>"), QStringLiteral("<v>45412</v>"),
                                    QStringLiteral("formatCode=\"#,##0\""), QStringLiteral("formatCode=\"yyyy/mm/dd\""),
                                    QString(QStringLiteral("<t>") + Rows::text() + QStringLiteral("</t>")),
                                    QStringLiteral("<col min=\"1\" max=\"1\" width=\"18.7109375\"")})
            QVERIFY2(xml.contains(part), qPrintable(part));
    }

    // A workbook is read back before it replaces a file: one cut short, or
    // whose sheet lacks rows, is found.
    void workbookReadBack_data()
    {
        QTest::addColumn<qint64>("cutTo");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("whole");
        QTest::newRow("whole") << qint64(-1) << 3 << true;
        QTest::newRow("rows missing") << qint64(-1) << 4 << false;
        QTest::newRow("cut short") << qint64(2000) << 3 << false;
    }
    void workbookReadBack()
    {
        QFETCH(qint64, cutTo);
        QFETCH(int, rows);
        QFETCH(bool, whole);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("一覧.xlsx"));
        XlsxExport::write(Rows(), path, QStringLiteral("一覧"), QDateTime::currentDateTime());
        if (cutTo >= 0)
            QVERIFY(QFile::resize(path, cutTo));
        QCOMPARE(XlsxExport::readBack(path, rows).isEmpty(), whole);
    }

    // The library's writes into its temporary file fail (here: a file-size
    // limit, as a full disk would): the save is refused, the older file of
    // that name stays and nothing is left behind.
    void workbookWriteFailureKeepsOldFile()
    {
#ifdef Q_OS_UNIX
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("一覧.xlsx"));
        QVERIFY(writeFile(path, "older workbook"));
        QStringList texts;
        for (int i = 0; i < 50000; ++i)
            texts << QStringLiteral("支払手形 %1 番 山田商事株式会社 本店営業部").arg(i);

        rlimit before{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &before) == 0);
        rlimit small = before;
        small.rlim_cur = 1 << 20;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        QString explanation;
        try {
            XlsxExport::write(Texts(texts), path, QStringLiteral("一覧"), QDateTime::currentDateTime());
        } catch (const StoreError &e) {
            explanation = e.explanation();
        }
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, previous);

        QVERIFY2(explanation.startsWith(SavedFile::failureText(path)), qPrintable(explanation));
        QVERIFY(explanation.endsWith(QStringLiteral("同じ名前の元のファイルはそのまま残っています。")));
        QCOMPARE(readAll(path), QByteArray("older workbook"));
        QCOMPARE(leftovers(dir), QStringList());
#else
        QSKIP("file-size limits are a Unix feature");
#endif
    }

    // Two saves to one name at once each write a file of their own; the one
    // put in place last wins and neither is told it failed.
    void savesToOneName()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("一覧.xlsx"));
        {
            SavedFile first(path);
            SavedFile second(path);
            QVERIFY(first.temporaryPath() != second.temporaryPath());
            QVERIFY(writeFile(first.temporaryPath(), "first"));
            QVERIFY(writeFile(second.temporaryPath(), "second"));
            first.commit();
            QCOMPARE(readAll(path), QByteArray("first"));
            second.commit();
        }
        QCOMPARE(readAll(path), QByteArray("second"));
        QCOMPARE(leftovers(dir), QStringList());
    }

    void csvText_data()
    {
        QTest::addColumn<int>("encoding");
        QTest::newRow("UTF-8") << int(CsvExport::Encoding::Utf8Bom);
        QTest::newRow("Shift_JIS") << int(CsvExport::Encoding::ShiftJis);
    }
    void csvText()
    {
        QFETCH(int, encoding);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("list.csv"));
        const auto e = CsvExport::Encoding(encoding);
        QCOMPARE(CsvExport::write(Rows(), path, e), 0);
        const QByteArray bytes = readAll(path);
        const bool utf8 = e == CsvExport::Encoding::Utf8Bom;
        QCOMPARE(bytes.startsWith("\xEF\xBB\xBF"), utf8);
        const QString text = utf8 ? QString::fromUtf8(bytes.mid(3)) : QString(QStringDecoder("Shift_JIS")(bytes));
        // Quoted only where a field holds a quote, a comma or a line break.
        QCOMPARE(text, QStringLiteral("手形番号,金額,決済日\r\n007,1234567,2024/04/30\r\n\"山田\"\"商事\"\", 本店\n営業部\",,2024/05/01\r\n"));
    }

    // A field that a spreadsheet would run as a formula arrives as text.
    void csvFormulas_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written");
        QTest::newRow("=") << QStringLiteral("=HYPERLINK(\"http://example.com\",\"見積\")")
                           << QStringLiteral("\"'=HYPERLINK(\"\"http://example.com\"\",\"\"見積\"\")\"");
        QTest::newRow("- and |") << QStringLiteral("-2+3+cmd|' /C calc'!A0") << QStringLiteral("'-2+3+cmd|' /C calc'!A0");
        QTest::newRow("+") << QStringLiteral("+1") << QStringLiteral("'+1");
        QTest::newRow("@") << QStringLiteral("@SUM(A1)") << QStringLiteral("'@SUM(A1)");
        QTest::newRow("tab") << QStringLiteral("\t=1") << QStringLiteral("'\t=1");
        QTest::newRow("carriage return") << QStringLiteral("\r=1") << QStringLiteral("\"'\r=1\"");
        QTest::newRow("minus number") << QStringLiteral("-1250") << QStringLiteral("-1250");
        QTest::newRow("inside") << QStringLiteral("a=1") << QStringLiteral("a=1");
    }
    void csvFormulas()
    {
        QFETCH(QString, text);
        QFETCH(QString, written);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("list.csv"));
        CsvExport::write(Texts({text}), path, CsvExport::Encoding::Utf8Bom);
        QCOMPARE(QString::fromUtf8(readAll(path).mid(3)), QStringLiteral("備考\r\n") + written + QStringLiteral("\r\n"));
    }

    // The minus sign is written as code page 932 has it; a letter it lacks
    // becomes "?" and is counted.
    void shiftJisStandIns()
    {
        int lost = 0;
        const QString text = QStringLiteral("a\u2212") + QString::fromUcs4(U"\U0001F600", 1) + QStringLiteral("\nb");
        QCOMPARE(CsvExport::encode(text, CsvExport::Encoding::ShiftJis, &lost), QByteArray("a\x81\x7C?\nb"));
        QCOMPARE(lost, 1);
    }

    // Every table of the register in a file of its own, its columns as the
    // register names them and nothing of the server's besides.
    void everyTable()
    {
        TestDataFolder f;
        f.addNote(QStringLiteral("A-1"), QStringLiteral("2025-03-31"));
        QTemporaryDir out;
        const QList<RegisterExport::File> files = RegisterExport::writeAll(f.path(), out.path());
        QStringList names;
        for (const RegisterExport::File &file : files)
            names << file.name;
        QCOMPARE(names.join(u' '), QStringLiteral("BankBalance.csv Kbn3.csv Kbn4.csv Kbn5.csv RirekiTbl.csv ShiwakeKamoku.csv "
                                                  "SireCliant.csv SiteTbl.csv TMPTbl.csv kbn1.csv kbn2.csv kbn6.csv"));
        QCOMPARE(QString::fromUtf8(readAll(out.filePath(QStringLiteral("SiteTbl.csv"))).mid(3)),
                 QStringLiteral("TNo,TFDate,TKDate,TBank,TTo,TKingaku,TKubun,TYoto,TCond,TRemarks,TKeiri\r\n"
                                "A-1,2024-01-10,2025-03-31,1,100,100000,1,1,1,,1\r\n"));
    }

    void journalLines()
    {
        TestDataFolder f;
        addPayeeAndBank(f, QStringLiteral("山田商事"));
        // A1 and A2 are drawn 2024-01-10, in the period; B1, drawn before
        // it, is settled (state 3, 決済済み) in it, due on a Saturday and so
        // booked on the Monday the bank pays it; A3 is drawn in it but is
        // too large for the format; C1 is settled after the period.
        f.addNote(QStringLiteral("A2"), QStringLiteral("2024-03-31"), QStringLiteral("1"), 250000);
        f.addNote(QStringLiteral("A1"), QStringLiteral("2024-03-10"), QStringLiteral("1"), 100000);
        f.addNote(QStringLiteral("A3"), QStringLiteral("2024-04-10"), QStringLiteral("1"), 1500000000);
        f.addNote(QStringLiteral("B1"), QStringLiteral("2024-01-20"), QStringLiteral("3"), 5000);
        f.addNote(QStringLiteral("C1"), QStringLiteral("2024-02-20"), QStringLiteral("3"), 7000);
        f.exec(QStringLiteral("UPDATE SiteTbl SET TFDate = '2023-12-01' WHERE TNo IN ('B1', 'C1')"));

        JournalExport::Result result;
        const QString text = januaryJournal(f, &result);
        QCOMPARE(result.written, 3);
        QCOMPARE(result.refused, QStringList{QStringLiteral("A3  山田商事  1,500,000,000 円")});
        const QString expected = QStringLiteral(
                "2000,,,2024/01/10,買掛金,,,対象外,100000,0,支払手形,,,対象外,100000,0,手形番号 A1 山田商事,,,0,,,0,0,no\r\n"
                "2000,,,2024/01/10,買掛金,,,対象外,250000,0,支払手形,,,対象外,250000,0,手形番号 A2 山田商事,,,0,,,0,0,no\r\n"
                "2000,,,2024/01/22,支払手形,,,対象外,5000,0,当座預金,中央銀行 本店,,対象外,5000,0,手形番号 B1 山田商事,,,0,,,0,0,no\r\n");
        QCOMPARE(text, expected);
    }

    // What each note's state means decides its entries in January 2024:
    // "number kind drawn due state" per note (kind 3 is an electronic
    // record; states 3 決済済み, 4 不渡り, 5 書換え, a void one), each line
    // written as "date debit/credit sub-account description".
    void journalByMeaning_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("lines");
        QTest::newRow("renewal: the old note reversed, the new one drawn")
                << "R1 1 2023-11-01 2024-01-15 5;R2 1 2024-01-15 2024-03-15 1"
                << "2024/01/15 支払手形/買掛金  手形番号 R1 山田商事 取消・書換|"
                   "2024/01/15 買掛金/支払手形  手形番号 R2 山田商事";
        QTest::newRow("void and drawn in the period: nothing")
                << "C1 1 2024-01-10 2024-03-10 5;C2 1 2024-01-10 2024-01-20 5" << "";
        QTest::newRow("void, due after the period: nothing yet") << "C3 1 2023-12-01 2024-02-10 5" << "";
        QTest::newRow("electronic record: its own account")
                << "E1 3 2024-01-05 2024-01-31 3"
                << "2024/01/05 買掛金/電子記録債務  記録番号 E1 山田商事|"
                   "2024/01/31 電子記録債務/当座預金 中央銀行 本店 記録番号 E1 山田商事";
        QTest::newRow("paid after the new-year bank holidays")
                << "H1 1 2023-10-01 2023-12-29 3;H2 1 2023-10-01 2023-12-31 3;H3 1 2023-11-01 2024-01-31 3"
                << "2024/01/04 支払手形/当座預金 中央銀行 本店 手形番号 H2 山田商事|"
                   "2024/01/31 支払手形/当座預金 中央銀行 本店 手形番号 H3 山田商事";
        QTest::newRow("dishonoured: drawn, never paid") << "D1 1 2024-01-05 2024-01-20 4"
                                                        << "2024/01/05 買掛金/支払手形  手形番号 D1 山田商事";
    }

    void journalByMeaning()
    {
        QFETCH(QString, notes);
        TestDataFolder f;
        addPayeeAndBank(f, QStringLiteral("山田商事"));
        for (const QString &note : notes.split(u';', Qt::SkipEmptyParts)) {
            const QStringList n = note.split(u' ');
            f.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TKubun, TFDate, TKDate, TCond, TTo, TBank, TKingaku) "
                                  "VALUES (?, ?, ?, ?, ?, '100', '1', 1000)"),
                   {n.at(0), n.at(1), n.at(2), n.at(3), n.at(4)});
        }
        QStringList lines;
        for (const QString &line : januaryJournal(f).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            const QStringList fields = line.split(u',');
            lines << QStringLiteral("%1 %2/%3 %4 %5").arg(fields.at(3), fields.at(4), fields.at(10), fields.at(11), fields.at(16));
        }
        QTEST(lines.join(u'|'), "lines");
    }

    // A payee's letter that Shift_JIS lacks is written as "?" and counted.
    void journalLostLetter()
    {
        TestDataFolder f;
        addPayeeAndBank(f, QString::fromUcs4(U"\U00020BB7野商店", 4));
        f.addNote(QStringLiteral("A1"), QStringLiteral("2024-03-10"), QStringLiteral("1"), 100000);
        JournalExport::Result result;
        QVERIFY(januaryJournal(f, &result).contains(QStringLiteral("手形番号 A1 ?野商店,")));
        QCOMPARE(result.lostLetters, 1);
    }

    // A bank named like a formula lands in the sub-account field as text.
    void journalFormulaBank()
    {
        TestDataFolder f;
        addPayeeAndBank(f, QStringLiteral("@山田商事"), QStringLiteral("=1+2"));
        f.addNote(QStringLiteral("B1"), QStringLiteral("2024-01-20"), QStringLiteral("3"), 5000);
        f.exec(QStringLiteral("UPDATE SiteTbl SET TFDate = '2023-12-01'"));
        QCOMPARE(januaryJournal(f),
                 QStringLiteral("2000,,,2024/01/22,支払手形,,,対象外,5000,0,当座預金,'=1+2,,対象外,5000,0,"
                                "手形番号 B1 @山田商事,,,0,,,0,0,no\r\n"));
    }

private:
    ServerRegister m_register;
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_Export.moc"
