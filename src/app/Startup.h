#pragma once

#include "ui/AppContext.h"

#include <QString>

#include <memory>

class RegisterLock;

// The work done while the splash window is up: find the data folder, make
// sure its database is there, bring the note states up to date. Each routine
// answers false when the application has to end; the user has then been told
// why in a message.
class Startup
{
public:
    explicit Startup(const AppContext &context);
    ~Startup();

    // The lock that tells other programs this one uses the data folder, for
    // the caller to hold while the application runs.
    std::unique_ptr<RegisterLock> takeLock();

    // Sets the data folder from the data-folder file in the program folder.
    bool ResolveDirPath();

    // While a restore runs in the data folder the start ends. Otherwise the
    // program holds its lock there and, when no other program is at work,
    // removes what a stopped program left under temporary names and
    // completes a restore that was cut short, saying so.
    // A missing or unwritable data folder ends the start. A data folder
    // without a database offers to import the earlier version's database
    // when it holds one, else (or when that is declined) to create an empty
    // one (いいえ by default); a read-only one is said to be so, once.
    bool CheckDatabase();

    // A database made by an earlier version is upgraded in place after a
    // copy beside it; one made by a newer version ends the start, as does a
    // file that is no register that can be read (an empty or damaged file),
    // reported as damaged with the way back from the latest backup. A
    // read-only database that cannot be upgraded is said to be so and read
    // as it is.
    bool UpgradeSchema();

    // The newest rows of the change history, their triggers and the head
    // kept beside the backups; a fault is reported once and the start goes
    // on. Runs before the day's copy moves the kept head on.
    bool CheckHistory();

    // At the first start of a day, a checked copy of the database in the
    // backup folder. A failure is reported and does not stop the start,
    // unless the database itself proves damaged.
    bool BackUp();

    // Moves every note in state "1" due today or earlier to state "2".
    bool UpdateNoteStates();

    // A holiday list in the data folder that is too large, has lines that
    // are not dates or lacks a year is said once; the start goes on.
    bool CheckHolidayFile();

private:
    enum class Import { Declined, Done, Failed };
    Import offerImport(const QString &legacyFile);

    bool holdRegister();
    void reportDamaged();
    void warn(const QString &text);
    QString databasePath() const;
    bool readOnly() const;
    // The data folder names a register on a server instead of holding one.
    // It has no file to lock, copy or upgrade: an unreachable server ends
    // the start, a user who may only read is told so once, and the version
    // read from the server must be the program's.
    bool onServer() const;
    bool checkServer();
    bool checkServerVersion();

    AppContext m_context;
    std::unique_ptr<RegisterLock> m_lock;
    bool m_serverReadOnly = false;
};
