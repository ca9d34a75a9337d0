#include "BankBalance.h"

#include "store/Connection.h"
#include "store/Schema.h"
#include "store/StoreText.h"

#include <QRegularExpression>
#include <QSqlQuery>

std::optional<qint64> BankBalance::parseYen(const QString &text)
{
    QString plain = text.trimmed();
    for (QChar &c : plain) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19)
            c = QChar(char16_t(u - 0xFF10 + u'0'));
        else if (u == 0xFF0C || u == 0x3001)
            c = QLatin1Char(',');
        else if (u == 0xFF0D || u == 0x2212)
            c = QLatin1Char('-');
        else if (u == 0xFF0B)
            c = QLatin1Char('+');
    }
    static const QRegularExpression yen(QStringLiteral(R"(^[+-]?[0-9][0-9,]*$)"));
    if (!yen.match(plain).hasMatch())
        return std::nullopt;
    plain.remove(QLatin1Char(','));
    bool ok = false;
    const qint64 value = plain.toLongLong(&ok);
    if (!ok || value > qint64(StoreText::maxAmount) || value < -qint64(StoreText::maxAmount))
        return std::nullopt;
    return value;
}

void BankBalance::save(const QString &dataFolder, const QString &bank, const QDate &date, double zan)
{
    const QString code = StoreText::clean(bank, StoreText::Kind::Code, Schema::columnCaption(QStringLiteral("TBank")));
    StoreText::checkAmount(zan, QStringLiteral("残高"));
    Connection connection;
    connection.open(Schema::connectionText(dataFolder));
    connection.requireWritable();
    connection.exec(QStringLiteral("INSERT INTO BankBalance (BbBank, BbDate, BbZan) VALUES (?, ?, ?) "
                                   "ON CONFLICT (BbBank, BbDate) DO UPDATE SET BbZan = excluded.BbZan"),
                    {code, date.toString(Qt::ISODate), zan})
            .finish();
}

QList<BankBalance> BankBalance::upTo(Connection &connection, const QDate &until)
{
    QList<BankBalance> list;
    QSqlQuery &q = connection.exec(
            QStringLiteral("SELECT BbBank, BbDate, BbZan FROM BankBalance WHERE BbDate <= ? ORDER BY BbBank, BbDate"),
            {until.toString(Qt::ISODate)});
    while (q.next())
        list.append({q.value(0).toString(), QDate::fromString(q.value(1).toString(), Qt::ISODate), q.value(2).toDouble()});
    q.finish();
    return list;
}

std::optional<double> BankBalance::find(const QString &dataFolder, const QString &bank, const QDate &date)
{
    Connection connection;
    connection.open(Schema::connectionText(dataFolder));
    QSqlQuery &q = connection.exec(QStringLiteral("SELECT BbZan FROM BankBalance WHERE BbBank = ? AND BbDate = ?"),
                                   {bank, date.toString(Qt::ISODate)});
    std::optional<double> zan;
    if (q.next())
        zan = q.value(0).toDouble();
    q.finish();
    return zan;
}

QList<BankBalance> BankBalance::all(const QString &dataFolder)
{
    Connection connection;
    connection.open(Schema::connectionText(dataFolder));
    return upTo(connection, QDate(9999, 12, 31));
}

void BankBalance::remove(const QString &dataFolder, const QString &bank, const QDate &date)
{
    Connection connection;
    connection.open(Schema::connectionText(dataFolder));
    connection.requireWritable();
    connection.exec(QStringLiteral("DELETE FROM BankBalance WHERE BbBank = ? AND BbDate = ?"),
                    {bank, date.toString(Qt::ISODate)})
            .finish();
}
