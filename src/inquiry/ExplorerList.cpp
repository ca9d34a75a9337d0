#include "ExplorerList.h"

#include "reports/ReportFormat.h"
#include "store/Connection.h"
#include "store/JetSql.h"
#include "store/StoreError.h"

#include <QBrush>
#include <QColor>
#include <QSqlError>
#include <QSqlQuery>

namespace {

const QString amountFormat = QStringLiteral("##,###");

QString dateText(const QVariant &value)
{
    if (value.isNull())
        return QString();
    QString text = value.toString();
    // Stored as yyyy-MM-dd: the common case needs no parsing.
    if (text.size() == 10 && text.at(4) == QLatin1Char('-') && text.at(7) == QLatin1Char('-')) {
        text[4] = QLatin1Char('/');
        text[7] = QLatin1Char('/');
        return text;
    }
    const QDate date = JetSql::parseDate(text);
    return date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : text;
}

QString amountText(const QVariant &value)
{
    return value.isNull() ? QString() : ReportFormat::number(value.toDouble(), amountFormat);
}

} // namespace

ExplorerList::ExplorerList(QObject *parent)
    : QueryTableModel(parent)
{
    setHeaders({QStringLiteral("振出日"), QStringLiteral("手形番号"), QStringLiteral("振出先"), QStringLiteral("金額"),
                QStringLiteral("決済日"), QStringLiteral("銀行"), QStringLiteral("備考")});
    setColumns({QStringLiteral("TFDate"), QStringLiteral("TNo"), QStringLiteral("ClName"), QStringLiteral("tkingaku"),
                QStringLiteral("TKDate"), QStringLiteral("Ginko"), QStringLiteral("TRemarks")},
               QVector<QVariantList>(ColumnCount));
    setFormatter(DrawingDate, dateText);
    setFormatter(DueDate, dateText);
    setFormatter(Amount, amountText);
    setAlignment(Amount, Qt::AlignRight);
    setRowBackground([this](int row) {
        // A list with notes always ends with its totals row.
        return row == rowCount() - 1 ? QVariant(QBrush(QColor(0xEE, 0xF2, 0xF8))) : QVariant();
    });
}

void ExplorerList::fill(Connection &connection, const QString &jetSql)
{
    // Only the seven shown columns are read from the statement's rows.
    const QString sql = QStringLiteral("SELECT TFDate, TNo, ClName, TKingaku, TKDate, Ginko, TRemarks FROM (")
            + JetSql::toSqlite(jetSql) + QLatin1Char(')');
    QSqlQuery query(connection.database());
    query.setForwardOnly(true);
    if (!query.exec(sql))
        throw StoreError(QStringLiteral("手形の一覧を読めません。"), query.lastError().text());

    QVector<QVariantList> columns(ColumnCount);
    double total = 0;
    while (query.next()) {
        for (int i = 0; i < ColumnCount; ++i)
            columns[i].append(query.value(i));
        total += columns[Amount].constLast().toDouble();
    }
    if (query.lastError().isValid())
        throw StoreError(QStringLiteral("手形の一覧を読めません。"), query.lastError().text());
    query.finish();

    if (!columns[0].isEmpty()) {
        const QVariant none;
        const QVariant totals[ColumnCount] = {none, none, QStringLiteral("金額計"), total, none, none, none};
        for (int i = 0; i < ColumnCount; ++i)
            columns[i].append(totals[i]);
    }
    m_total = total;
    setColumns(columnNames(), std::move(columns));
}

QVector<QStringList> ExplorerList::noteTexts() const
{
    QVector<QStringList> rows;
    const int notes = rowCount() - 1;
    rows.reserve(qMax(notes, 0));
    for (int row = 0; row < notes; ++row) {
        QStringList texts;
        texts.reserve(ColumnCount);
        for (int column = 0; column < ColumnCount; ++column)
            texts.append(text(row, column));
        rows.append(texts);
    }
    return rows;
}
