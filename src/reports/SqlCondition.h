#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

// A condition for a WHERE clause whose values are bound, never written into
// the text.
struct SqlCondition
{
    QString sql;
    QVariantList values;
    // The columns the condition reads, as written, each with the text that
    // names it in the formula, for a message when a column is missing.
    QStringList fields;
    QStringList fieldTexts;

    bool isEmpty() const { return sql.isEmpty(); }
};
