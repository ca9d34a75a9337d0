#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

// A temporary data folder with a new database, removed after the test.
class TestDataFolder
{
public:
    // createDatabase false leaves the folder empty; on a case running on the
    // server the folder names the server register instead.
    explicit TestDataFolder(bool createDatabase = true);

    bool isValid() const { return m_dir.isValid(); }
    // The data folder with its trailing separator, as the application holds it.
    QString path() const;
    QString databasePath() const;
    // Points the folder at a server register instead of its database file,
    // which is removed.
    void useServer(const QString &connectionText) const;

    // Runs one SQLite statement on the database with bound values.
    void exec(const QString &sql, const QVariantList &values = {}) const;
    // The same as another program (another PC on the register, user keiri2)
    // would run it: its history rows are not counted as this program's.
    void execElsewhere(const QString &sql, const QVariantList &values = {}) const;
    // Makes the register refuse writes to `table` ("INSERT", "UPDATE" or
    // "DELETE"; only rows meeting `when`, a condition on NEW, if given), as
    // a locked or failing database would, until the case ends.
    void refuseWrites(const QString &event, const QString &table, const QString &when = QString()) const;
    // Takes a table or view away, as a damaged register would lack it, and
    // puts it back (a table empty; on the server the case's end puts it
    // back whole as well).
    void drop(const QString &name) const;
    void restore(const QString &name) const;

    // The first column of the first row of a query.
    QVariant scalar(const QString &sql, const QVariantList &values = {}) const;
    // Who made the last history row and when, as a refused write names them.
    QString lastChange() const;
    // The same on another database: a data folder (ending in a separator) or a file.
    static QVariant scalarAt(const QString &location, const QString &sql, const QVariantList &values = {});
    // The bytes of a file, "(none)" when it cannot be read.
    static QByteArray fileBytes(const QString &path);
    // Replaces a file's bytes; false when they could not all be written.
    static bool writeFile(const QString &path, const QByteArray &bytes);

    // Adds a note with the given number, due date ("yyyy-MM-dd") and state.
    void addNote(const QString &number, const QString &dueDate, const QString &state = QStringLiteral("1"),
                 double amount = 100000, const QString &payee = QStringLiteral("100"),
                 const QString &bank = QStringLiteral("1")) const;

private:
    QTemporaryDir m_dir;
};
