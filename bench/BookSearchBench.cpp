#include "BookSearchBench.h"

#include "BenchReport.h"
#include "RawSqlite.h"

#include "rules/BookSearch.h"
#include "store/Connection.h"
#include "store/DataFolderBuilder.h"
#include "store/Schema.h"

#include <QDir>
#include <QLocale>
#include <QTextStream>

namespace {

// Written through the program's own connection, so that the history is
// written as the program writes it.
void fill(const QString &folder, int notes)
{
    Connection connection;
    connection.open(Schema::connectionText(folder));
    connection.beginTrans();
    // The suppliers of RawSqlite::addSuppliersAndBanks, 仕入先 0 to 199 coded 100 to 299.
    connection.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199) "
                                   "INSERT INTO SireCliant (ClCode, ClName) SELECT 100 + i, '仕入先 ' || i FROM n"));
    connection.exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ? - 1) "
            "INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, TRemarks, TKeiri) "
            "SELECT 'N' || i, date('2020-01-01', '+' || (i % 2000) || ' days'), "
            "date('2020-03-01', '+' || (i % 2000) || ' days'), 1 + i % 5, 100 + i % 200, "
            "1000 * (1 + (i * 7919) % 997), '1', '1', '1', '', '1' FROM n"),
                    {notes});
    connection.exec(QStringLiteral("UPDATE SiteTbl SET TKingaku = TKingaku + 1000 WHERE rowid % 10 = 0"));
    connection.exec(QStringLiteral("DELETE FROM SiteTbl WHERE rowid % 100 = 1"));
    connection.commitTrans();
}

} // namespace

void benchBookSearch(BenchReport &report, const QString &scratchFolder, int notes)
{
    const QString folder = QDir::toNativeSeparators(scratchFolder + QStringLiteral("/kensaku")) + QDir::separator();
    QTextStream(stderr) << "book search: filling " << notes << " notes with their history" << Qt::endl;
    DataFolderBuilder::createDatabase(folder);
    fill(folder, notes);
    const QString section = QStringLiteral("book search, %1 notes").arg(QLocale::c().toString(notes));
    const int runs = 7;

    // 仕入先 15 and 仕入先 150 to 159: 11 payees.
    BookSearch::Conditions c;
    c.amountFrom = 400000;
    c.amountTo = 420000;
    c.payee = QStringLiteral("仕入先 15");
    c.includeEarlier = true;
    const QByteArray codes = "[\"115\",\"250\",\"251\",\"252\",\"253\",\"254\",\"255\",\"256\",\"257\",\"258\",\"259\"]";
    int rawRows = 0;
    const double raw = BenchReport::medianMs(runs, [&] {
        RawSqlite db(Schema::databasePath(folder), true);
        rawRows = db.run("SELECT ClCode FROM SireCliant WHERE ClName LIKE ? ESCAPE '\\'", {"%仕入先 15%"}, true);
        rawRows = db.run("SELECT s.TNo, s.TFDate, s.TKDate, s.TTo, c.ClName, s.TKingaku FROM SiteTbl s "
                         "LEFT JOIN SireCliant c ON c.ClCode = s.TTo WHERE 1 "
                         "AND s.TTo IN (SELECT value FROM json_each(?)) AND s.TKingaku >= ? AND s.TKingaku <= ? "
                         "ORDER BY s.TFDate, s.TNo",
                         {codes, "400000", "420000"}, true);
        rawRows += db.run("SELECT r.RTNo, r.RTFDate, r.RTKDate, r.RTTo, c.ClName, r.RTKingaku, r.RAction, r.RAt, r.RNo "
                          "FROM RirekiTbl r LEFT JOIN SireCliant c ON c.ClCode = r.RTTo "
                          "WHERE r.RTable = 'SiteTbl' AND r.RAction IN ('訂正', '削除') "
                          "AND r.RTTo IN (SELECT value FROM json_each(?)) AND r.RTKingaku >= ? AND r.RTKingaku <= ? "
                          "ORDER BY r.RNo",
                          {codes, "400000", "420000"}, true);
    });
    qsizetype hits = 0;
    const double searched = BenchReport::medianMs(runs, [&] {
        Connection connection;
        connection.open(Schema::connectionText(folder));
        hits = BookSearch::find(connection, c).size();
    });
    report.add(section, QStringLiteral("amount range and part of a payee's name, earlier contents included"), searched,
               raw, QStringLiteral("%1 hits (raw %2 rows)").arg(hits).arg(rawRows));

    // The amount alone: the notes are read whole, the history by its index.
    c.payee.clear();
    c.amountFrom = 400000;
    c.amountTo = 401000;
    const double rawAmount = BenchReport::medianMs(runs, [&] {
        RawSqlite db(Schema::databasePath(folder), true);
        rawRows = db.run("SELECT s.TNo, s.TFDate, s.TKDate, s.TTo, c.ClName, s.TKingaku FROM SiteTbl s "
                         "LEFT JOIN SireCliant c ON c.ClCode = s.TTo WHERE 1 AND s.TKingaku >= ? AND s.TKingaku <= ? "
                         "ORDER BY s.TFDate, s.TNo",
                         {"400000", "401000"}, true);
        rawRows += db.run("SELECT r.RTNo, r.RTFDate, r.RTKDate, r.RTTo, c.ClName, r.RTKingaku, r.RAction, r.RAt, r.RNo "
                          "FROM RirekiTbl r LEFT JOIN SireCliant c ON c.ClCode = r.RTTo "
                          "WHERE r.RTable = 'SiteTbl' AND r.RAction IN ('訂正', '削除') "
                          "AND r.RTKingaku >= ? AND r.RTKingaku <= ? ORDER BY r.RNo",
                          {"400000", "401000"}, true);
    });
    const double byAmount = BenchReport::medianMs(runs, [&] {
        Connection connection;
        connection.open(Schema::connectionText(folder));
        hits = BookSearch::find(connection, c).size();
    });
    report.add(section, QStringLiteral("amount range alone, earlier contents included"), byAmount, rawAmount,
               QStringLiteral("%1 hits (raw %2 rows)").arg(hits).arg(rawRows));
}
