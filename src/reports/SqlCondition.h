#pragma once

#include <QString>
#include <QVariantList>

// A condition for a WHERE clause whose values are bound, never written into
// the text.
struct SqlCondition
{
    QString sql;
    QVariantList values;

    bool isEmpty() const { return sql.isEmpty(); }
};
