#pragma once

#include "ui/AppContext.h"

#include <QString>

// The work done while the splash window is up: find the data folder, make
// sure its database is there, bring the note states up to date. Each routine
// answers false when the application has to end; the user has then been told
// why in a message.
class Startup
{
public:
    explicit Startup(const AppContext &context);

    // Sets the data folder from the data-folder file in the program folder.
    bool ResolveDirPath();

    // A missing or unwritable data folder ends the start. A data folder
    // without a database offers to import the earlier version's database
    // when it holds one, else (or when that is declined) to create an empty
    // one (いいえ by default); a read-only one is said to be so, once.
    bool CheckDatabase();

    // A database made by an earlier version is upgraded in place after a
    // copy beside it; one made by a newer version ends the start. A
    // read-only database that cannot be upgraded is said to be so and read
    // as it is.
    bool UpgradeSchema();

    // At the first start of a day, a checked copy of the database in the
    // backup folder. A failure is reported and does not stop the start.
    bool BackUp();

    // Moves every note in state "1" due today or earlier to state "2".
    bool UpdateNoteStates();

    // A holiday list in the data folder that is too large, has lines that
    // are not dates or lacks a year is said once; the start goes on.
    bool CheckHolidayFile();

private:
    enum class Import { Declined, Done, Failed };
    Import offerImport(const QString &legacyFile);

    void warn(const QString &text);
    QString databasePath() const;
    bool readOnly() const;

    AppContext m_context;
};
