#include "JetCrossTab.h"

#include "Connection.h"
#include "JetSql.h"
#include "Schema.h"
#include "StoreError.h"
#include "UnregisteredNames.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>
#include <QSqlQuery>

#include <algorithm>
#include <utility>

namespace {

[[noreturn]] void refuse(const QString &jet, const QString &why)
{
    throw StoreError(QStringLiteral("クロス集計の SQL 文を解釈できません（%1）。").arg(why), jet);
}

// Which characters stand outside quotes, date literals, brackets and
// parentheses: only there can a clause begin or a list be split.
QVector<bool> topLevel(const QString &text)
{
    QVector<bool> top(text.size(), false);
    QChar closing;
    int depth = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!closing.isNull()) {
            if (c == closing)
                closing = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('#'))
            closing = c;
        else if (c == QLatin1Char('['))
            closing = QLatin1Char(']');
        else if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        else
            top[i] = depth == 0;
    }
    return top;
}

struct Clause
{
    qsizetype start = -1; // where the keyword begins
    qsizetype body = -1;  // where its text begins
};

// The first top-level occurrence of a keyword (words separated by blanks)
// at or after `from`.
Clause findClause(const QString &text, const QVector<bool> &top, const QString &keyword, qsizetype from)
{
    const QRegularExpression re(QStringLiteral("(?<![\\p{L}\\p{N}_])") + keyword + QStringLiteral("(?![\\p{L}\\p{N}_])"),
                                QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    QRegularExpressionMatchIterator it = re.globalMatch(text, from);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (top.at(m.capturedStart()))
            return {m.capturedStart(), m.capturedEnd()};
    }
    return {};
}

QStringList splitTopLevel(const QString &text)
{
    const QVector<bool> top = topLevel(text);
    QStringList parts;
    qsizetype begin = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (top.at(i) && text.at(i) == QLatin1Char(',')) {
            parts.append(text.mid(begin, i - begin).trimmed());
            begin = i + 1;
        }
    }
    parts.append(text.mid(begin).trimmed());
    return parts;
}

const QString identifier = QStringLiteral(R"((?:\[[^\[\]]+\]|[\p{L}_][\p{L}\p{N}_]*))");

QRegularExpression exact(const QString &pattern)
{
    return QRegularExpression(QStringLiteral("^") + pattern + QStringLiteral("$"),
                              QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
}

QString unbracket(const QString &name)
{
    return name.startsWith(QLatin1Char('[')) ? name.mid(1, name.size() - 2) : name;
}

QString quoted(const QString &name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

// Every column of the notes table: the columns QRYRibodo takes from it
// under their own names.
bool isNoteColumn(const QString &name)
{
    static const QStringList columns {
        QStringLiteral("TNo"), QStringLiteral("TFDate"), QStringLiteral("TKDate"), QStringLiteral("TBank"),
        QStringLiteral("TTo"), QStringLiteral("TKingaku"), QStringLiteral("TKubun"), QStringLiteral("TYoto"),
        QStringLiteral("TCond"), QStringLiteral("TRemarks"), QStringLiteral("TKeiri"),
    };
    return columns.contains(name, Qt::CaseInsensitive);
}

// Whether a condition is a plain comparison of columns of the notes table
// (no function calls, no subqueries), names of the source and the words of
// a condition aside.
bool readsNotesOnly(const QString &condition, const QString &sourceName)
{
    static const QStringList words {
        QStringLiteral("AND"), QStringLiteral("OR"), QStringLiteral("NOT"), QStringLiteral("IS"),
        QStringLiteral("NULL"), QStringLiteral("BETWEEN"), QStringLiteral("LIKE"),
    };
    if (condition.contains(QLatin1Char('(')))
        return false;
    const QVector<bool> top = topLevel(condition);
    static const QRegularExpression word(QStringLiteral(R"(\[[^\]]*\]|[\p{L}_][\p{L}\p{N}_]*)"),
                                         QRegularExpression::UseUnicodePropertiesOption);
    QRegularExpressionMatchIterator it = word.globalMatch(condition);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const bool bracketed = m.captured().startsWith(QLatin1Char('['));
        if (!bracketed && !top.at(m.capturedStart()))
            continue; // part of a text or a date
        const QString name = unbracket(m.captured());
        if (!isNoteColumn(name) && !words.contains(name, Qt::CaseInsensitive)
            && name.compare(sourceName, Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

} // namespace

JetCrossTab::JetCrossTab(const QString &jet)
{
    const QString text = jet.trimmed();
    const QVector<bool> top = topLevel(text);
    const Clause transform = findClause(text, top, QStringLiteral("TRANSFORM"), 0);
    if (transform.start != 0)
        refuse(jet, QStringLiteral("TRANSFORM で始まっていません"));
    const Clause select = findClause(text, top, QStringLiteral("SELECT"), transform.body);
    const Clause from = findClause(text, top, QStringLiteral("FROM"), qMax(select.body, qsizetype(0)));
    const Clause where = findClause(text, top, QStringLiteral("WHERE"), qMax(from.body, qsizetype(0)));
    const Clause group = findClause(text, top, QStringLiteral("GROUP\\s+BY"), qMax(from.body, qsizetype(0)));
    const Clause pivot = findClause(text, top, QStringLiteral("PIVOT"), qMax(group.body, qsizetype(0)));
    if (select.start < 0 || from.start < 0 || group.start < 0 || pivot.start < 0)
        refuse(jet, QStringLiteral("SELECT, FROM, GROUP BY, PIVOT のいずれかがありません"));
    if (where.start >= 0 && where.start > group.start)
        refuse(jet, QStringLiteral("WHERE は GROUP BY の前に置きます"));
    for (const char *other : {"HAVING", "ORDER\\s+BY", "JOIN", "UNION", "IN", "DISTINCT", "TOP"}) {
        const QString keyword = QLatin1String(other);
        const Clause c = findClause(text, top, keyword, select.body);
        // IN is a condition inside WHERE; elsewhere it is a pivot list.
        if (c.start >= 0 && !(keyword == QLatin1String("IN") && where.start >= 0 && c.start < group.start))
            refuse(jet, QStringLiteral("%1 は使えません").arg(keyword));
    }

    const auto part = [&](const Clause &c, qsizetype end) { return text.mid(c.body, end - c.body).trimmed(); };
    const QString value = part(transform, select.start);
    const QStringList items = splitTopLevel(part(select, from.start));
    const QString source = part(from, where.start >= 0 ? where.start : group.start);
    const QString condition = where.start >= 0 ? part(where, group.start) : QString();
    const QStringList groupFields = splitTopLevel(part(group, pivot.start));
    const QString pivotText = part(pivot, text.size());

    if (!exact(identifier).match(source).hasMatch())
        refuse(jet, QStringLiteral("FROM には表かクエリを一つだけ書きます"));
    const QString sourceName = unbracket(source);

    // A column, bare or qualified by the source.
    const QString column = QStringLiteral("(?:(%1)\\.)?(%1)").arg(identifier);
    const auto columnOf = [&](const QRegularExpressionMatch &m, int at) -> QString {
        if (m.hasCaptured(at) && !m.captured(at).isEmpty()
            && unbracket(m.captured(at)).compare(sourceName, Qt::CaseInsensitive) != 0)
            refuse(jet, QStringLiteral("%1 は FROM の表ではありません").arg(m.captured(at)));
        return unbracket(m.captured(at + 1));
    };
    const QRegularExpression columnRe = exact(column);
    const QRegularExpression sumRe = exact(QStringLiteral(R"(Sum\s*\(\s*%1\s*\)(?:\s+AS\s+(%2))?)").arg(column, identifier));

    const QRegularExpressionMatch valueMatch = sumRe.match(value);
    if (!valueMatch.hasMatch())
        refuse(jet, QStringLiteral("TRANSFORM には Sum(列) だけが使えます"));
    const QString valueColumn = columnOf(valueMatch, 1);

    QStringList keys;
    for (const QString &field : groupFields) {
        const QRegularExpressionMatch m = columnRe.match(field);
        if (!m.hasMatch())
            refuse(jet, QStringLiteral("GROUP BY には列だけが書けます"));
        keys.append(columnOf(m, 1));
    }
    m_keyCount = int(keys.size());

    QStringList extraSums;
    QVector<bool> keySelected(keys.size(), false);
    for (const QString &item : items) {
        Leading leading;
        if (const QRegularExpressionMatch m = columnRe.match(item); m.hasMatch()) {
            leading.name = columnOf(m, 1);
            const auto at = std::find_if(keys.cbegin(), keys.cend(), [&](const QString &k) {
                return k.compare(leading.name, Qt::CaseInsensitive) == 0;
            });
            if (at == keys.cend())
                refuse(jet, QStringLiteral("%1 が GROUP BY にありません").arg(item));
            leading.keyIndex = int(at - keys.cbegin());
            keySelected[leading.keyIndex] = true;
        } else if (const QRegularExpressionMatch s = sumRe.match(item); s.hasMatch() && s.hasCaptured(3)) {
            leading.name = unbracket(s.captured(3));
            const QString summed = columnOf(s, 1);
            if (summed.compare(valueColumn, Qt::CaseInsensitive) != 0) {
                leading.sumColumn = m_keyCount + 2 + int(extraSums.size());
                extraSums.append(summed);
            }
        } else {
            refuse(jet, QStringLiteral("SELECT には列か Sum(列) AS 名前だけが書けます"));
        }
        m_leading.append(leading);
    }
    if (keySelected.contains(false))
        refuse(jet, QStringLiteral("GROUP BY の列が SELECT にありません"));
    m_extraSums = int(extraSums.size());

    QString pivotColumn;
    if (const QRegularExpressionMatch m = columnRe.match(pivotText); m.hasMatch()) {
        pivotColumn = columnOf(m, 1);
    } else if (const QRegularExpressionMatch f = exact(QStringLiteral(R"(Format\s*\(\s*%1\s*,\s*(['"])Short Date\3\s*\))").arg(column))
                                                         .match(pivotText);
               f.hasMatch()) {
        pivotColumn = columnOf(f, 1);
        m_shortDate = true;
    } else {
        refuse(jet, QStringLiteral("PIVOT には列か Format(列, 'Short Date') だけが書けます"));
    }

    QStringList selected;
    QStringList positions;
    for (const QString &key : std::as_const(keys)) {
        selected.append(quoted(key));
        positions.append(QString::number(selected.size()));
    }
    selected.append(quoted(pivotColumn));
    positions.append(QString::number(selected.size()));
    selected.append(QStringLiteral("SUM(%1)").arg(quoted(valueColumn)));
    for (const QString &summed : std::as_const(extraSums))
        selected.append(QStringLiteral("SUM(%1)").arg(quoted(summed)));
    m_sql = QStringLiteral("SELECT ") + selected.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + quoted(sourceName);
    if (!condition.isEmpty())
        m_sql += QStringLiteral(" WHERE ") + JetSql::toSqlite(condition);
    const QString order = positions.join(QStringLiteral(", "));
    m_sql += QStringLiteral(" GROUP BY ") + order + QStringLiteral(" ORDER BY ") + order;

    // QRYRibodo is the notes table with the payee's name looked up by the
    // payee code. A plan by payee name is summed per payee code first, in the
    // order of the index on code and due date, without sorting a row per
    // note; the codes of one name are merged when the rows are pivoted.
    if (sourceName.compare(QLatin1String("QRYRibodo"), Qt::CaseInsensitive) == 0 && keys.size() == 1
        && keys.first().compare(QLatin1String("ClName"), Qt::CaseInsensitive) == 0 && extraSums.isEmpty()
        && m_shortDate && Schema::isDateColumn(pivotColumn) && isNoteColumn(valueColumn)
        && readsNotesOnly(condition, sourceName)) {
        // The due date comes back as the number yyyymmdd: no text per row.
        m_byPayeeCode = QStringLiteral("SELECT \"TTo\", CAST(REPLACE(%1, '-', '') AS INTEGER), SUM(%2) FROM \"SiteTbl\" AS %3")
                                .arg(quoted(pivotColumn), quoted(valueColumn), quoted(sourceName));
        if (!condition.isEmpty())
            m_byPayeeCode += QStringLiteral(" WHERE ") + JetSql::toSqlite(condition);
        m_byPayeeCode += QStringLiteral(" GROUP BY \"TTo\", ") + quoted(pivotColumn);
    }
}

QStringList JetCrossTab::leadingColumns() const
{
    QStringList names;
    for (const Leading &l : m_leading)
        names.append(l.name);
    return names;
}

namespace {

// Numbers the pivot values in the order they are met.
class PivotValues
{
public:
    qint32 idOf(const QVariant &value)
    {
        if (value.isNull()) {
            if (m_null < 0) {
                m_null = qint32(m_values.size());
                m_values.append(QVariant());
            }
            return m_null;
        }
        const QString text = value.toString();
        auto found = m_ids.constFind(text);
        if (found == m_ids.constEnd()) {
            found = m_ids.insert(text, qint32(m_values.size()));
            m_values.append(text);
        }
        return found.value();
    }
    const QVector<QVariant> &values() const { return m_values; }
    qint32 nullId() const { return m_null; }

private:
    QHash<QString, qint32> m_ids;
    QVector<QVariant> m_values;
    qint32 m_null = -1;
};

} // namespace

QString JetCrossTab::byPayeeCodeSql() const
{
    return m_byPayeeCode;
}

CrossTabTable JetCrossTab::run(Connection &connection) const
{
    CrossTabTable table;
    table.m_leading.resize(m_leading.size());
    PivotValues pivot;

    QVector<double> sums(m_extraSums + 1, 0);
    QVector<bool> summed(m_extraSums + 1, false);
    const auto appendRow = [&](const QVariantList &key) {
        for (qsizetype i = 0; i < m_leading.size(); ++i) {
            const Leading &l = m_leading.at(i);
            if (l.keyIndex >= 0) {
                table.m_leading[i].append(key.at(l.keyIndex));
            } else {
                const int s = l.sumColumn < 0 ? 0 : l.sumColumn - m_keyCount - 1;
                table.m_leading[i].append(summed.at(s) ? QVariant(sums.at(s)) : QVariant());
            }
        }
        table.m_rowStart.append(qint32(table.m_cellColumn.size()));
        sums.fill(0);
        summed.fill(false);
    };
    const auto addCell = [&](qint32 column, double value) {
        table.m_cellColumn.append(column);
        table.m_cellValue.append(value);
        sums[0] += value;
        summed[0] = true;
    };

    if (!m_byPayeeCode.isEmpty()) {
        // Payee names by code. A code whose supplier has been deleted is a
        // row of its own, marked as the printed plan marks it, where
        // QRYRibodo would give every such code the one empty name. Codes
        // compare without regard to letter case.
        QHash<QString, QString> names;
        QSqlQuery &q = connection.exec(QStringLiteral("SELECT ClCode, IFNULL(ClName, '') FROM SireCliant"));
        while (q.next())
            names.insert(q.value(0).toString().toLower(), q.value(1).toString());
        q.finish();

        struct Row
        {
            QString name;
            QVector<std::pair<qint32, double>> cells;
        };
        QHash<qint64, qint32> dateIds;
        QHash<QString, int> rowOfName;
        QVector<Row> rows;
        QString lastCode;
        int lastRow = -1;
        QSqlQuery &g = connection.exec(m_byPayeeCode);
        while (g.next()) {
            const QString code = g.value(0).toString();
            if (lastRow < 0 || code != lastCode) {
                const auto known = names.constFind(code.toLower());
                const QString name = known != names.constEnd() ? known.value()
                        : code.isEmpty()                       ? QString()
                                                               : UnregisteredNames::text(code);
                auto found = rowOfName.constFind(name);
                if (found == rowOfName.constEnd()) {
                    found = rowOfName.insert(name, int(rows.size()));
                    rows.append({name, {}});
                }
                lastRow = found.value();
                lastCode = code;
            }
            const QVariant sum = g.value(2);
            if (sum.isNull())
                continue;
            const QVariant date = g.value(1);
            qint32 id = 0;
            if (date.isNull()) {
                id = pivot.idOf(date);
            } else {
                const qint64 day = date.toLongLong();
                auto found = dateIds.constFind(day);
                if (found == dateIds.constEnd()) {
                    const QString text = QStringLiteral("%1-%2-%3")
                                                 .arg(day / 10000, 4, 10, QLatin1Char('0'))
                                                 .arg(day / 100 % 100, 2, 10, QLatin1Char('0'))
                                                 .arg(day % 100, 2, 10, QLatin1Char('0'));
                    found = dateIds.insert(day, pivot.idOf(text));
                }
                id = found.value();
            }
            rows[lastRow].cells.append({id, sum.toDouble()});
        }
        g.finish();
        std::sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.name < b.name; });
        for (const Row &row : std::as_const(rows)) {
            for (const auto &[column, value] : row.cells)
                addCell(column, value);
            appendRow({row.name});
        }
    } else {
        QVariantList key(m_keyCount);
        QVariantList rowKey(m_keyCount);
        bool inRow = false;
        QSqlQuery &q = connection.exec(m_sql);
        while (q.next()) {
            bool newRow = !inRow;
            for (int i = 0; i < m_keyCount; ++i) {
                QVariant v = q.value(i);
                if (!newRow && v != rowKey.at(i))
                    newRow = true;
                key[i] = std::move(v);
            }
            if (newRow) {
                if (inRow)
                    appendRow(rowKey);
                std::swap(rowKey, key);
                inRow = true;
            }
            const qint32 id = pivot.idOf(q.value(m_keyCount));
            if (const QVariant v = q.value(m_keyCount + 1); !v.isNull())
                addCell(id, v.toDouble());
            for (int s = 1; s <= m_extraSums; ++s) {
                const QVariant v = q.value(m_keyCount + 1 + s);
                if (!v.isNull()) {
                    sums[s] += v.toDouble();
                    summed[s] = true;
                }
            }
        }
        if (inRow)
            appendRow(rowKey);
        q.finish();
    }

    // Headings in ascending order, the empty value first; values that read
    // as the same heading share its column.
    const QVector<QVariant> &pivotValues = pivot.values();
    const qint32 nullPivot = pivot.nullId();
    const int leadingCount = table.leadingColumnCount();
    QStringList headings;
    headings.reserve(pivotValues.size());
    for (const QVariant &v : pivotValues) {
        QString heading = v.isNull() ? QStringLiteral("<>") : v.toString();
        if (m_shortDate && !v.isNull()) {
            const QDate date = JetSql::parseDate(heading);
            if (date.isValid())
                heading = date.toString(QStringLiteral("yyyy/MM/dd"));
        }
        headings.append(heading);
    }
    QVector<qint32> order(pivotValues.size());
    for (qint32 i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](qint32 a, qint32 b) {
        if ((a == nullPivot) != (b == nullPivot))
            return a == nullPivot;
        return headings.at(a) < headings.at(b);
    });
    table.m_names = leadingColumns();
    QVector<qint32> columnOf(pivotValues.size());
    for (qsizetype i = 0; i < order.size(); ++i) {
        const QString &heading = headings.at(order.at(i));
        if (i == 0 || heading != headings.at(order.at(i - 1)) || order.at(i - 1) == nullPivot)
            table.m_names.append(heading);
        columnOf[order.at(i)] = qint32(table.m_names.size() - leadingCount - 1);
    }

    // Each row's cells renumbered to their columns, in column order.
    QVector<std::pair<qint32, double>> cells;
    qint32 written = 0;
    for (int r = 0; r < table.rowCount(); ++r) {
        cells.clear();
        for (qint32 c = table.m_rowStart.at(r); c < table.m_rowStart.at(r + 1); ++c)
            cells.append({columnOf.at(table.m_cellColumn.at(c)), table.m_cellValue.at(c)});
        std::sort(cells.begin(), cells.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        table.m_rowStart[r] = written;
        for (qsizetype c = 0; c < cells.size(); ++c) {
            if (c > 0 && cells.at(c).first == cells.at(c - 1).first) {
                table.m_cellValue[written - 1] += cells.at(c).second;
                continue;
            }
            table.m_cellColumn[written] = cells.at(c).first;
            table.m_cellValue[written] = cells.at(c).second;
            ++written;
        }
    }
    table.m_rowStart[table.rowCount()] = written;
    table.m_cellColumn.resize(written);
    table.m_cellValue.resize(written);
    table.m_cellColumn.squeeze();
    table.m_cellValue.squeeze();
    return table;
}
