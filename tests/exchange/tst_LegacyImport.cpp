#include "TestDataFolder.h"

#include "store/Connection.h"
#include "store/DatabaseBackup.h"
#include "exchange/LegacyImport.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString fixtures = QStringLiteral(RIBODO_LEGACY_FIXTURES);

QString folderIn(const QTemporaryDir &dir, const QString &name)
{
    return QDir::toNativeSeparators(dir.filePath(name)) + QDir::separator();
}

// One record of mdb-export's CSV with its invisible characters escaped:
// fields split at commas outside double quotes, quotes undoubled, escapes
// turned back into the characters.
QStringList csvFields(const QString &line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted && c == u'"' && i + 1 < line.size() && line.at(i + 1) == u'"') {
            field += c;
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && c == u',') {
            fields << field;
            field.clear();
        } else if (c == u'\\' && i + 1 < line.size()) {
            const QChar e = line.at(++i);
            field += e == u'r' ? QChar(u'\r') : e == u'n' ? QChar(u'\n') : e == u't' ? QChar(u'\t') : e;
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

} // namespace

class TestLegacyImport : public QObject
{
    Q_OBJECT

private slots:
    // Every table of the full sample, row for row and column for column,
    // against what mdb-export reads from the same file.
    void fullSampleMatchesExport()
    {
        if (!QFileInfo::exists(fixtures + QStringLiteral("/dbRibodo.mdb")))
            QSKIP("the legacy sample files are not beside the project (../shared/fixtures/legacy)");
        const QString exporter = QStandardPaths::findExecutable(QStringLiteral("mdb-export"));
        if (exporter.isEmpty())
            QSKIP("mdb-export is not installed");
        QTemporaryDir dir;
        const QString folder = folderIn(dir, QStringLiteral("data"));
        const LegacyImport::Result result =
                LegacyImport::importFile(fixtures + QStringLiteral("/dbRibodo.mdb"), folder, false);
        QVERIFY(result.written);
        QVERIFY(result.skippedColumns.isEmpty());
        DatabaseBackup::check(Schema::databasePath(folder));

        Connection c;
        c.open(Schema::connectionText(folder));
        const QList<QPair<QString, int>> expectedCounts = {
                {QStringLiteral("kbn1"), 2},        {QStringLiteral("kbn2"), 5},       {QStringLiteral("Kbn3"), 5},
                {QStringLiteral("Kbn4"), 2},        {QStringLiteral("Kbn5"), 5},       {QStringLiteral("kbn6"), 8},
                {QStringLiteral("SireCliant"), 40}, {QStringLiteral("SiteTbl"), 600}, {QStringLiteral("TMPTbl"), 10}};
        QCOMPARE(result.counts, expectedCounts);
        double exportedAmounts = 0;
        for (const auto &[table, count] : expectedCounts) {
            QProcess p;
            p.start(exporter, {QStringLiteral("-e"), QStringLiteral("-T"), QStringLiteral("%Y-%m-%d"),
                               fixtures + QStringLiteral("/dbRibodo.mdb"), table});
            QVERIFY(p.waitForFinished(30000));
            QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
            const QStringList header = csvFields(lines.takeFirst());
            QCOMPARE(lines.size(), count);
            QSqlQuery &q = c.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(header.join(u','), table));
            for (const QString &line : std::as_const(lines)) {
                QVERIFY(q.next());
                const QStringList fields = csvFields(line);
                for (int i = 0; i < header.size(); ++i) {
                    const QVariant stored = q.value(i);
                    const QString column = table + u'.' + header.at(i) + u' ' + fields.at(0);
                    if (stored.typeId() == QMetaType::Double || stored.typeId() == QMetaType::LongLong) {
                        QVERIFY2(qFuzzyCompare(stored.toDouble() + 1, fields.at(i).toDouble() + 1), qPrintable(column));
                        if (header.at(i) == QLatin1String("TKingaku"))
                            exportedAmounts += fields.at(i).toDouble();
                    } else {
                        // mdb-export writes a null and an empty text alike.
                        QVERIFY2(stored.toString() == fields.at(i), qPrintable(column));
                    }
                }
            }
            QVERIFY(!q.next());
            q.finish();
        }
        const auto scalar = [&folder](const QString &sql) { return TestDataFolder::scalarAt(folder, sql); };
        QCOMPARE(scalar(QStringLiteral("SELECT SUM(TKingaku) FROM SiteTbl")).toDouble(), exportedAmounts);

        // mdb-export writes a null and an empty text alike: which is which.
        QCOMPARE(scalar(QStringLiteral("SELECT group_concat(TNo) FROM SiteTbl WHERE TRemarks IS NULL")).toString(),
                 QStringLiteral("AA10245"));
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM SiteTbl WHERE TRemarks = ''")).toInt(), 473);
        QCOMPARE(scalar(QStringLiteral("SELECT ClSime || '|' || Clpay FROM SireCliant WHERE ClCode = '16'")).toString(),
                 QStringLiteral("|"));
    }

    void emptySample()
    {
        if (!QFileInfo::exists(fixtures + QStringLiteral("/dbRibodo.mdb")))
            QSKIP("the legacy sample files are not beside the project (../shared/fixtures/legacy)");
        QTemporaryDir dir;
        const QString folder = folderIn(dir, QStringLiteral("data"));
        const LegacyImport::Result result = LegacyImport::importFile(fixtures + QStringLiteral("/empty.mdb"), folder, false);
        QVERIFY(result.written);
        QCOMPARE(result.counts.size(), 9);
        for (const auto &count : result.counts)
            QCOMPARE(count.second, 0);
        DatabaseBackup::check(Schema::databasePath(folder));
    }

    // A truncated file is refused with a clear message before anything is
    // made: no new folder, no database in an existing one, no leftovers.
    void truncatedSample_data()
    {
        QTest::addColumn<bool>("existingFolder");
        QTest::newRow("new folder") << false;
        QTest::newRow("existing folder") << true;
    }
    void truncatedSample()
    {
        if (!QFileInfo::exists(fixtures + QStringLiteral("/dbRibodo.mdb")))
            QSKIP("the legacy sample files are not beside the project (../shared/fixtures/legacy)");
        QFETCH(bool, existingFolder);
        QTemporaryDir dir;
        const QString folder = folderIn(dir, QStringLiteral("data"));
        if (existingFolder)
            QVERIFY(QDir().mkpath(folder));
        try {
            LegacyImport::importFile(fixtures + QStringLiteral("/broken.mdb"), folder, false);
            QFAIL("a truncated file was imported");
        } catch (const StoreError &e) {
            QVERIFY2(e.explanation().startsWith(QStringLiteral("以前の版のデータベースを読み込めません。"
                                                               "ファイルが壊れているか、途中で切れています。")),
                     qPrintable(e.explanation()));
        }
        const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QCOMPARE(left, existingFolder ? QStringList{QStringLiteral("data")} : QStringList());
        if (existingFolder)
            QVERIFY(QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }

    // The check of codes works on the rows as read, so rows fed in as the
    // reader hands them over stand for a file that holds duplicates (the
    // Access format cannot be written here).
    void duplicates_data()
    {
        QTest::addColumn<bool>("rename");
        QTest::addColumn<QStringList>("notes");
        QTest::addColumn<QStringList>("banks");
        QTest::addColumn<QString>("text");
        QTest::newRow("stops and names them") << false << QStringList() << QStringList()
                                              << QStringLiteral("銀行（kbn6）のコード「2」: 2 行目、3 行目\n"
                                                                "手形（SiteTbl）の手形番号「AB101」: 1 行目、3 行目");
        QTest::newRow("renamed on request")
                << true << QStringList{QStringLiteral("AB101"), QStringLiteral("AB102"), QStringLiteral("ab101-2")}
                << QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}
                << QStringLiteral("銀行（kbn6）の 3 行目: コード「2」→「3」\n"
                                  "手形（SiteTbl）の 3 行目: 手形番号「ab101」→「ab101-2」");
    }
    void duplicates()
    {
        QFETCH(bool, rename);
        QFETCH(QStringList, notes);
        QFETCH(QStringList, banks);
        QFETCH(QString, text);
        const QDate due(2027, 1, 10);
        QList<LegacyTable> tables = {
                {QStringLiteral("kbn6"), {QStringLiteral("KbnCode"), QStringLiteral("KbnName")},
                 {{QStringLiteral("1"), QStringLiteral("本店")},
                  {QStringLiteral("2"), QStringLiteral("駅前")},
                  {QStringLiteral("2"), QStringLiteral("駅前（旧）")}}},
                {QStringLiteral("SiteTbl"), {QStringLiteral("TNo"), QStringLiteral("TKDate"), QStringLiteral("TKingaku")},
                 {{QStringLiteral("AB101"), due, 1000.0},
                  {QStringLiteral("AB102"), due, 2000.0},
                  {QStringLiteral("ab101"), due, 3000.0}}}};
        QTemporaryDir dir;
        const QString folder = folderIn(dir, QStringLiteral("data"));
        const LegacyImport::Result result = LegacyImport::importTables(tables, folder, rename);
        QCOMPARE(result.written, rename);
        QCOMPARE(rename ? LegacyImport::renamesText(result) : LegacyImport::duplicatesText(result), text);
        QCOMPARE(QFileInfo::exists(folder), rename);
        if (!rename)
            return;
        for (const auto &[table, column, expected] : {std::tuple{"SiteTbl", "TNo", notes}, {"kbn6", "KbnCode", banks}}) {
            const QString sql = QStringLiteral("SELECT group_concat(%1) FROM (SELECT %1 FROM %2 ORDER BY rowid)");
            QCOMPARE(TestDataFolder::scalarAt(folder, sql.arg(QLatin1String(column), QLatin1String(table))).toString(),
                     expected.join(u','));
        }
    }

    // The earlier version's states carry no meaning: each gets the one its
    // name suggests, and the result says which.
    void statesGetMeanings()
    {
        const QList<LegacyTable> tables = {
                {QStringLiteral("Kbn3"), {QStringLiteral("KbnCode"), QStringLiteral("KbnName")},
                 {{QStringLiteral("1"), QStringLiteral("未決済")},
                  {QStringLiteral("2"), QStringLiteral("決済済み")},
                  {QStringLiteral("3"), QStringLiteral("書換済")},
                  {QStringLiteral("4"), QStringLiteral("不渡")}}}};
        QTemporaryDir dir;
        const QString folder = folderIn(dir, QStringLiteral("data"));
        const LegacyImport::Result result = LegacyImport::importTables(tables, folder, false);
        QVERIFY(result.written);
        QCOMPARE(result.states.marked.join(u'|') + u'/' + result.states.waiting.join(u'|'),
                 QStringLiteral("2 決済済み: 決済済み|3 書換済: 無効|4 不渡: 不渡り/1 未決済"));
        QCOMPARE(TestDataFolder::scalarAt(folder, QStringLiteral("SELECT group_concat(KbnKesai, '') FROM "
                                                                 "(SELECT * FROM Kbn3 ORDER BY KbnCode)")).toString(),
                 QStringLiteral("0123"));
    }

    // Codes pass the gate of typed input: folded to half-width and trimmed,
    // so that the notes can be called up; codes equal once folded are
    // duplicates. Remarks keep their line breaks and lose other control
    // characters. Each change is listed.
    void inputGate_data()
    {
        QTest::addColumn<bool>("rename");
        QTest::addColumn<QString>("text");
        QTest::newRow("stops at the duplicate")
                << false << QStringLiteral("手形（SiteTbl）の手形番号「AB6」: 4 行目、5 行目「ＡＢ６」");
        QTest::newRow("renamed on request")
                << true << QStringLiteral("手形（SiteTbl）の 5 行目: 手形番号「ＡＢ６」→「AB6-2」");
    }
    void inputGate()
    {
        QFETCH(bool, rename);
        QFETCH(QString, text);
        const QDate due(2027, 1, 10);
        const QStringList columns = {QStringLiteral("TNo"), QStringLiteral("TKDate"), QStringLiteral("TBank"),
                                     QStringLiteral("TKingaku"), QStringLiteral("TRemarks")};
        const QList<LegacyTable> tables = {
                {QStringLiteral("kbn6"), {QStringLiteral("KbnCode"), QStringLiteral("KbnName")},
                 {{QStringLiteral("１"), QStringLiteral("本店\t営業部")}}},
                {QStringLiteral("SiteTbl"), columns,
                 {{QStringLiteral("ＡＢ１"), due, QStringLiteral("１"), 1000.0, QStringLiteral("前渡金\r\n残額\x01は翌月")},
                  {QStringLiteral("AB2 "), due, QStringLiteral("1"), 2000.0, QString()},
                  {QStringLiteral(" AB3"), due, QStringLiteral("1"), 3000.0, QString()},
                  {QStringLiteral("AB6"), due, QStringLiteral("1"), 6000.0, QString()},
                  {QStringLiteral("ＡＢ６"), due, QStringLiteral("1"), 6500.0, QString()}}}};
        QTemporaryDir dir;
        const QString folder = folderIn(dir, QStringLiteral("data"));
        const LegacyImport::Result result = LegacyImport::importTables(tables, folder, rename);
        QCOMPARE(result.written, rename);
        QCOMPARE(rename ? LegacyImport::renamesText(result) : LegacyImport::duplicatesText(result), text);
        if (!rename)
            return;
        QCOMPARE(LegacyImport::adjustedText(result),
                 QStringLiteral("銀行（kbn6）の 1 行目: コード「１」→「1」\n"
                                "銀行（kbn6）の 1 行目: 名称から使えない文字（制御文字など） 1 字を取り除きました。\n"
                                "手形（SiteTbl）の 1 行目: 手形番号「ＡＢ１」→「AB1」\n"
                                "手形（SiteTbl）の 1 行目: 支払銀行コード「１」→「1」\n"
                                "手形（SiteTbl）の 1 行目: 備考から使えない文字（制御文字など） 1 字を取り除きました。\n"
                                "手形（SiteTbl）の 2 行目: 手形番号「AB2 」→「AB2」\n"
                                "手形（SiteTbl）の 3 行目: 手形番号「 AB3」→「AB3」\n"
                                "手形（SiteTbl）の 5 行目: 手形番号「ＡＢ６」→「AB6」"));
        const auto scalar = [&folder](const char *sql) {
            return TestDataFolder::scalarAt(folder, QLatin1String(sql)).toString();
        };
        QCOMPARE(scalar("SELECT group_concat(TNo || '/' || TBank || '/' || TKingaku, ' ') "
                        "FROM (SELECT * FROM SiteTbl ORDER BY rowid)"),
                 QStringLiteral("AB1/1/1000.0 AB2/1/2000.0 AB3/1/3000.0 AB6/1/6000.0 AB6-2/1/6500.0"));
        QCOMPARE(scalar("SELECT TRemarks FROM SiteTbl WHERE TNo = 'AB1'"), QStringLiteral("前渡金\r\n残額は翌月"));
        QCOMPARE(scalar("SELECT KbnName FROM kbn6 WHERE KbnCode = '1'"), QStringLiteral("本店営業部"));
    }

    // The reading library's own English messages never reach the user's
    // terminal: the tool says in Japanese what is wrong and nothing more.
    void libraryStaysQuiet()
    {
        if (!QFileInfo::exists(fixtures + QStringLiteral("/broken.mdb")))
            QSKIP("the legacy sample files are not beside the project (../shared/fixtures/legacy)");
        QTemporaryDir dir;
        QProcess tool;
        tool.start(QStringLiteral(RIBODO_DATAFOLDER_TOOL),
                   {QStringLiteral("import-mdb"), fixtures + QStringLiteral("/broken.mdb"), folderIn(dir, QStringLiteral("data"))});
        QVERIFY(tool.waitForFinished(60000));
        QVERIFY(tool.exitCode() != 0);
        const QString said = QString::fromUtf8(tool.readAllStandardError() + tool.readAllStandardOutput());
        QVERIFY2(said.startsWith(QStringLiteral("以前の版のデータベースを読み込めません。")), qPrintable(said));
        for (const char *english : {"offset", "Oops", "Warning", "Unable"})
            QVERIFY2(!said.contains(QLatin1String(english)), qPrintable(said));
    }
};

QTEST_GUILESS_MAIN(TestLegacyImport)
#include "tst_LegacyImport.moc"
