#pragma once

#include "SqlCondition.h"

#include <QString>

// The record-selection formulas of the reports: {Query.Field}, the comparisons
// = <> < <= > >=, #yyyy/mm/dd# dates, 'quoted' or "quoted" texts (a quote
// doubled inside), numbers, parentheses (up to 200 deep) and AND. A formula
// becomes an SQL condition in which every literal is a bound value, so no
// text inside a formula can alter the statement. '' is the empty text, and a
// column compared with it counts as empty when it has no value. The fields
// read are listed, so that the report can refuse one its source lacks.
class SelectionFormula
{
public:
    // The condition over the columns of `source`; every field must be one of
    // that query's. Raises ReportError naming `fileName` for a malformed
    // formula. An empty formula gives an empty condition.
    static SqlCondition toSql(const QString &formula, const QString &source, const QString &fileName);

    // 'value' with each quote inside doubled: a text literal of the formula
    // language that reads back as exactly `value`.
    static QString textLiteral(const QString &value);
};
