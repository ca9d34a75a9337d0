#include "ReportQuery.h"

#include "store/ColumnFormat.h"
#include "CrossTable.h"
#include "ReportError.h"
#include "store/DisplayFormat.h"
#include "ReportTable.h"
#include "SelectionFormula.h"

#include "store/Connection.h"
#include "store/StatementReader.h"
#include "store/StoreError.h"

#include <QHash>
#include <QSqlQuery>

ReportQuery::ReportQuery(const ReportDefinition &definition, Connection &connection, SqlCondition selection)
    : m_definition(definition)
    , m_connection(connection)
    , m_selection(std::move(selection))
{
}

void ReportQuery::checkSource()
{
    // A list the program works out for the report is a temporary table.
    try {
        m_isTable = m_connection.isTable(m_definition.source);
    } catch (const StoreError &) {
        throw ReportError(m_definition.fileName,
                          QStringLiteral("データベースに表またはクエリ %1 がありません。").arg(m_definition.source));
    }
    checkFields(m_selection);
}

void ReportQuery::checkFields(const SqlCondition &condition) const
{
    if (condition.fields.isEmpty())
        return;
    const QStringList columns = m_connection.columns(m_definition.source);
    for (qsizetype i = 0; i < condition.fields.size(); ++i) {
        const QString &field = condition.fields.at(i);
        bool known = columns.contains(field, Qt::CaseInsensitive);
        for (const ReportDefinition::Lookup &l : m_definition.lookups)
            known = known || l.name.compare(field, Qt::CaseInsensitive) == 0;
        if (!known)
            throw ReportError(m_definition.fileName,
                              QStringLiteral("選択式の %1 は %2 にない列です。列の名前を確かめてください。")
                                      .arg(condition.fieldTexts.at(i), m_definition.source));
    }
}

QString ReportQuery::column(const QString &field)
{
    return QStringLiteral("r.\"") + field + QLatin1Char('"');
}

// A text of the definition as an SQL literal.
static QString literal(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString ReportQuery::from() const
{
    QString inner = QStringLiteral("SELECT s.*");
    if (m_isTable)
        inner += QStringLiteral(", s.rowid AS ribodo_row");
    QString joins;
    // What each lookup's name stands for, so that a later lookup can start
    // from it.
    QHash<QString, QString> looked;
    for (qsizetype i = 0; i < m_definition.lookups.size(); ++i) {
        const ReportDefinition::Lookup &l = m_definition.lookups.at(i);
        const QString alias = QStringLiteral("l%1").arg(i);
        const QString code = looked.value(l.field.toLower(), QStringLiteral("s.\"%1\"").arg(l.field));
        QString value = QStringLiteral("%1.\"%2\"").arg(alias, l.value);
        if (!l.missing.isEmpty()) {
            // A code that the table has lost is shown, marked, rather than
            // an empty name.
            const QStringList parts = l.missing.split(QLatin1Char('{') + l.field + QLatin1Char('}'));
            QStringList pieces;
            for (qsizetype p = 0; p < parts.size(); ++p) {
                if (p > 0)
                    pieces << code;
                pieces << literal(parts.at(p));
            }
            value = QStringLiteral("CASE WHEN %1.rowid IS NULL AND IFNULL(%2, '') <> '' THEN %3 ELSE %4 END")
                            .arg(alias, code, pieces.join(QStringLiteral(" || ")), value);
        }
        looked.insert(l.name.toLower(), value);
        inner += QStringLiteral(", %1 AS \"%2\"").arg(value, l.name);
        // The server compares a code with a number only as text, and codes
        // regardless of letter case.
        const auto compared = [this](const QString &operand) {
            return m_connection.isServer() ? QStringLiteral("CAST(%1 AS citext)").arg(operand) : operand;
        };
        joins += QStringLiteral(" LEFT JOIN \"%1\" AS %2 ON %3 = %4")
                         .arg(l.table, alias, compared(QStringLiteral("%1.\"%2\"").arg(alias, l.match)), compared(code));
    }
    return QStringLiteral("(%1 FROM \"%2\" AS s%3) AS r").arg(inner, m_definition.source, joins);
}

QString ReportQuery::where(const SqlCondition &extra, QVariantList &values) const
{
    QStringList parts;
    if (!m_selection.isEmpty()) {
        parts.append(QLatin1Char('(') + m_selection.sql + QLatin1Char(')'));
        values += m_selection.values;
    }
    if (!extra.isEmpty()) {
        parts.append(QLatin1Char('(') + extra.sql + QLatin1Char(')'));
        values += extra.values;
    }
    return parts.isEmpty() ? QString() : QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
}

ReportTable ReportQuery::rows(const QStringList &hiddenFields)
{
    QStringList select;
    QList<int> summed;
    for (qsizetype i = 0; i < m_definition.columns.size(); ++i) {
        const ReportDefinition::Column &c = m_definition.columns.at(i);
        if (c.fields.size() == 1) {
            select.append(column(c.fields.first()));
        } else {
            QStringList parts;
            for (const QString &f : c.fields)
                parts.append(QStringLiteral("IFNULL(%1, '')").arg(column(f)));
            select.append(parts.join(QStringLiteral(" || ")));
        }
        if (c.sum)
            summed.append(int(i));
    }
    for (const QString &f : hiddenFields)
        select.append(column(f));

    QStringList order;
    const auto addOrder = [&order](const ReportDefinition::SortKey &k) {
        const QString desc = k.descending ? QStringLiteral(" DESC") : QString();
        if (k.numeric)
            order.append(QStringLiteral("CAST(%1 AS REAL)%2").arg(column(k.field), desc));
        order.append(column(k.field) + desc);
    };
    for (const ReportDefinition::Group &g : m_definition.groups)
        addOrder(g.key);
    for (const ReportDefinition::SortKey &k : m_definition.sort)
        addOrder(k);
    if (m_isTable)
        order.append(column(QStringLiteral("ribodo_row")));

    QVariantList values;
    QString sql = QStringLiteral("SELECT ") + select.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + from()
            + where({}, values);
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));

    const int shown = int(m_definition.columns.size());
    const int texts = shown + int(hiddenFields.size());
    // Each pattern is read once, not once a cell.
    QList<ColumnFormat> formats;
    for (const ReportDefinition::Column &c : m_definition.columns)
        formats.append(ColumnFormat(c.format));
    formats.resize(texts);
    ReportTable table(texts, int(summed.size()));
    // Stepped on the engine itself: a notes book reads every note.
    StatementReader q(m_connection, sql, values);
    while (q.next()) {
        for (int i = 0; i < texts; ++i)
            table.appendText(formats.at(i).text(q.value(i)));
        for (const int i : std::as_const(summed))
            table.appendNumber(DisplayFormat::toNumber(q.value(i)));
        table.endRow();
    }
    table.squeeze();
    return table;
}

CrossTable ReportQuery::crossTable()
{
    const ReportDefinition::CrossTab &x = *m_definition.crossTab;
    QVariantList values;
    const QString sql = QStringLiteral("SELECT IFNULL(%1, ''), IFNULL(%2, ''), TOTAL(%3) FROM %4%5 GROUP BY 1, 2 ORDER BY 1, 2")
                                .arg(column(x.rowField), column(x.columnField), column(x.valueField), from(),
                                     where({}, values));
    CrossTable table;
    QSqlQuery &q = m_connection.exec(sql, values);
    while (q.next())
        table.add(q.value(0).toString(), q.value(1).toString(), q.value(2).toDouble());
    q.finish();
    table.finish(x.columnFormat);
    return table;
}

ReportTotal ReportQuery::total(const QString &field, const QString &formula)
{
    const SqlCondition extra = SelectionFormula::toSql(formula, m_definition.source, m_definition.fileName);
    checkFields(extra);
    QVariantList values;
    const QString sum = field.isEmpty() ? QStringLiteral("0") : QStringLiteral("TOTAL(%1)").arg(column(field));
    const QString sql = QStringLiteral("SELECT COUNT(*), %1 FROM %2%3").arg(sum, from(), where(extra, values));
    QSqlQuery &q = m_connection.exec(sql, values);
    ReportTotal t;
    if (q.next()) {
        t.count = q.value(0).toInt();
        t.sum = q.value(1).toDouble();
    }
    q.finish();
    return t;
}

QString ReportQuery::name(const QString &table, const QString &code)
{
    QSqlQuery &q = m_connection.exec(QStringLiteral("SELECT KbnName FROM \"%1\" WHERE KbnCode = ?").arg(table), {code});
    const QString n = q.next() ? q.value(0).toString() : QString();
    q.finish();
    return n;
}
