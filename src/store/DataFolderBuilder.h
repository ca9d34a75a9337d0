#pragma once

#include <QString>

#include <functional>

class Connection;

// Creates a data folder: a new database with every table, index and view and
// the category rows a new user needs.
class DataFolderBuilder
{
public:
    // Creates the folder if needed and a new database in it, built under a
    // temporary name and renamed into place when complete; `fill`, when
    // given, adds rows inside the building transaction. Raises StoreError
    // when a database is already there or cannot be written.
    static void createDatabase(const QString &dataFolder, const std::function<void(Connection &)> &fill = {});

    // A new database with the schema alone, no standard rows, filled by
    // `fill` inside the building transaction, built the same way.
    static void createFilled(const QString &dataFolder, const std::function<void(Connection &)> &fill);
};
