#pragma once

#include "ReportDefinition.h"
#include "ReportTotal.h"
#include "SqlCondition.h"

#include <QString>
#include <QStringList>

class Connection;
class CrossTable;
class ReportTable;

// Reads what a report shows from the database: the definition's source with
// its looked-up names, restricted by the selection, in the report's order.
// Table, column and field names come from the checked definition and are
// written as quoted identifiers; every value is bound.
class ReportQuery
{
public:
    ReportQuery(const ReportDefinition &definition, Connection &connection, SqlCondition selection);

    // Raises ReportError when the source is neither a table nor a view of
    // the database, or when the selection reads a column it does not have.
    void checkSource();

    // The rows: one formatted text per column, then the raw text of each of
    // `hiddenFields`; one number per summed column.
    ReportTable rows(const QStringList &hiddenFields);

    CrossTable crossTable();

    // Number of rows and sum of `field` over the selected rows that also meet
    // `where` (a selection formula).
    ReportTotal total(const QString &field, const QString &where);

    // The name beside `code` in a code table, or the empty text.
    QString name(const QString &table, const QString &code);

private:
    QString from() const;
    QString where(const SqlCondition &extra, QVariantList &values) const;
    static QString column(const QString &field);
    // Raises ReportError naming the first field of `condition` that is
    // neither a column of the source nor a looked-up name.
    void checkFields(const SqlCondition &condition) const;

    const ReportDefinition &m_definition;
    Connection &m_connection;
    SqlCondition m_selection;
    bool m_isTable = false;
};
