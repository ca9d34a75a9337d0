#pragma once

#include <QDate>
#include <QString>

#include <functional>

class Connection;

// Creates a data folder: a new database with every table, index and view and
// the category rows a new user needs; optionally sample data for a demo.
class DataFolderBuilder
{
public:
    // Creates the folder if needed and a new database in it, built under a
    // temporary name and renamed into place when complete. Raises StoreError
    // when a database is already there or cannot be written.
    static void createDatabase(const QString &dataFolder);

    // A new database with the sample data of addDemoData, built the same way.
    static void createDemo(const QString &dataFolder, int notes, const QDate &today);

    // A new database with the schema alone, no standard rows, filled by
    // `fill` inside the building transaction, built the same way.
    static void createFilled(const QString &dataFolder, const std::function<void(Connection &)> &fill);

    // Adds sample suppliers, banks and `notes` notes whose due dates spread
    // over twelve months before and six months after `today`, in states that
    // agree with their due dates; besides them, electronic records,
    // long-term notes and notes to subcontractors (DemoRuleNotes).
    static void addDemoData(const QString &dataFolder, int notes, const QDate &today);
};
