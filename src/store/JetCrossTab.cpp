#include "JetCrossTab.h"

#include "Connection.h"
#include "JetSql.h"
#include "StoreError.h"

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

} // namespace

JetCrossTab::JetCrossTab(const QString &jet)
    : m_jet(jet)
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
}

QStringList JetCrossTab::leadingColumns() const
{
    QStringList names;
    for (const Leading &l : m_leading)
        names.append(l.name);
    return names;
}

CrossTabTable JetCrossTab::run(Connection &connection) const
{
    CrossTabTable table;
    const int leadingCount = int(m_leading.size());
    table.m_leading.resize(leadingCount);

    // Pivot values are numbered in the order they are met; the headings are
    // put in order once every value is known.
    QHash<QString, qint32> pivotIds;
    QVector<QVariant> pivotValues;
    qint32 nullPivot = -1;
    QVariantList key(m_keyCount);
    QVariantList rowKey(m_keyCount);
    QVector<double> sums(m_extraSums + 1, 0);
    QVector<bool> summed(m_extraSums + 1, false);
    bool inRow = false;

    const auto endRow = [&] {
        for (int i = 0; i < leadingCount; ++i) {
            const Leading &l = m_leading.at(i);
            if (l.keyIndex >= 0) {
                table.m_leading[i].append(rowKey.at(l.keyIndex));
            } else {
                const int s = l.sumColumn < 0 ? 0 : l.sumColumn - m_keyCount - 1;
                table.m_leading[i].append(summed.at(s) ? QVariant(sums.at(s)) : QVariant());
            }
        }
        table.m_rowStart.append(qint32(table.m_cellColumn.size()));
        sums.fill(0);
        summed.fill(false);
    };

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
                endRow();
            std::swap(rowKey, key);
            inRow = true;
        }

        const QVariant pivot = q.value(m_keyCount);
        qint32 id = 0;
        if (pivot.isNull()) {
            if (nullPivot < 0) {
                nullPivot = qint32(pivotValues.size());
                pivotValues.append(QVariant());
            }
            id = nullPivot;
        } else {
            const QString text = pivot.toString();
            auto found = pivotIds.constFind(text);
            if (found == pivotIds.constEnd()) {
                found = pivotIds.insert(text, qint32(pivotValues.size()));
                pivotValues.append(text);
            }
            id = found.value();
        }
        for (int s = 0; s <= m_extraSums; ++s) {
            const QVariant v = q.value(m_keyCount + 1 + s);
            if (v.isNull())
                continue;
            const double d = v.toDouble();
            if (s == 0) {
                table.m_cellColumn.append(id);
                table.m_cellValue.append(d);
            }
            sums[s] += d;
            summed[s] = true;
        }
    }
    if (inRow)
        endRow();
    q.finish();

    // Headings in ascending order, the empty value first; values that read
    // as the same heading share its column.
    QStringList headings;
    headings.reserve(pivotValues.size());
    for (const QVariant &v : std::as_const(pivotValues)) {
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
