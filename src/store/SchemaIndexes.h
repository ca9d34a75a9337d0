#pragma once

#include <QString>
#include <QStringList>

// Keeps the indexes of a database made by an earlier version in line with
// the schema: an index whose definition has changed since is built again, so
// that an existing register gets the same speed as a new one. A table added
// since is created; other tables, views and rows are left as they are.
class SchemaIndexes
{
public:
    // Names of the indexes rebuilt (empty when all were current). Raises
    // StoreError when the database cannot be written; nothing is changed then.
    static QStringList refresh(const QString &dataFolder);
};
