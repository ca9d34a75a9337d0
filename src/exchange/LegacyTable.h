#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

// One table of a register kept by the earlier version, as read from its
// file: column names and rows in the file's order. A value is a QString
// (text), a QDate (date), a double or qint64 (numbers), or null.
struct LegacyTable
{
    QString name;
    QStringList columns;
    QList<QVariantList> rows;
};
