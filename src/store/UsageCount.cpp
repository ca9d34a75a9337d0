#include "UsageCount.h"

#include "Connection.h"
#include "Schema.h"

namespace {

int count(const QString &dataFolder, const QString &sql, const QVariant &code)
{
    Connection c;
    c.open(Schema::connectionText(dataFolder));
    QSqlQuery &q = c.exec(sql, {code});
    const int n = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    return n;
}

} // namespace

int UsageCount::notesOfSupplier(const QString &dataFolder, const QString &code)
{
    return count(dataFolder, QStringLiteral("SELECT COUNT(*) FROM SiteTbl WHERE TTo = ?"), code);
}

int UsageCount::notesOfBank(const QString &dataFolder, const QString &code)
{
    return count(dataFolder, QStringLiteral("SELECT COUNT(*) FROM SiteTbl WHERE TBank = ?"), code);
}

int UsageCount::usesOfCategory(const QString &dataFolder, int tableNo, const QString &code)
{
    // The note column of each category table; the supplier categories are
    // whole numbers kept with the suppliers.
    static const char *const noteColumns[] = {"TKubun", "TYoto", "TCond", "TKeiri"};
    if (tableNo >= 0 && tableNo < 4)
        return count(dataFolder,
                     QStringLiteral("SELECT COUNT(*) FROM SiteTbl WHERE %1 = ?").arg(QLatin1String(noteColumns[tableNo])),
                     code);
    if (tableNo == 4) {
        bool whole = false;
        const int number = code.trimmed().toInt(&whole);
        if (!whole)
            return 0;
        return count(dataFolder, QStringLiteral("SELECT COUNT(*) FROM SireCliant WHERE ClTokuiKbn = ?"), number);
    }
    return 0;
}
