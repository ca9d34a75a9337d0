#pragma once

#include "CrossTabTable.h"

#include <QString>
#include <QStringList>
#include <QVector>

class Connection;

// A Jet cross-tab statement of the one shape the system writes:
//
//   TRANSFORM Sum(v) [AS name] SELECT <fields and Sum(x) AS name, ...>
//   FROM <table or query> [WHERE <condition>] GROUP BY <fields>
//   PIVOT <field> | PIVOT Format(<field>, 'Short Date')
//
// SQLite has no TRANSFORM: the statement becomes one grouped query (row
// fields and pivot value, sums per group, in row order) whose result is then
// turned into rows and pivot columns. Any other text is refused with a
// StoreError rather than guessed at.
class JetCrossTab
{
public:
    // Raises StoreError when the text is not a cross-tab of that shape.
    explicit JetCrossTab(const QString &jet);

    // The grouped SQLite statement.
    const QString &sqlite() const { return m_sql; }
    // The statement that sums a plan by payee name per payee code first;
    // empty when the cross-tab is not of that kind. On that path a code whose
    // supplier has been deleted is a row of its own, 「(未登録 code)」.
    QString byPayeeCodeSql() const;
    // The leading column names (row headings and row sums, as selected).
    QStringList leadingColumns() const;

    // Runs the grouped statement and pivots its rows. Raises StoreError.
    CrossTabTable run(Connection &connection) const;

private:
    struct Leading
    {
        QString name;
        int keyIndex = -1;  // a row field: its place in GROUP BY
        int sumColumn = -1; // a row sum: its column of the grouped query; -1 sums the cells
    };

    QString m_sql;
    QString m_byPayeeCode;
    int m_keyCount = 0;
    int m_extraSums = 0;
    bool m_shortDate = false;
    QVector<Leading> m_leading;
};
