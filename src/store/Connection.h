#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

// One connection to the database file of a data folder. Every record object
// and every screen that runs its own statements owns one; several may be
// open on the same file at once.
class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens the database named by a connection text ("...;Data Source=<path>").
    // Raises StoreError when the file is missing or cannot be opened. A file
    // on a medium or share that cannot be written is opened read-only.
    void open(const QString &connectionText);
    void close();
    bool isOpen() const { return m_db.isOpen(); }
    QString databasePath() const { return m_path; }

    // True when the database file or its folder cannot be written: it can
    // then be read and printed, never changed.
    static bool isReadOnlyLocation(const QString &databasePath);
    bool isReadOnly() const { return m_readOnly; }
    // Raises StoreError when the connection is read-only.
    void requireWritable() const;
    static QString readOnlyMessage();

    // Takes the write lock at once (an immediate transaction), so that a
    // transaction waits for another writer as long as a single write does.
    void beginTrans();
    // A read transaction: the statements until commitTrans see one state of
    // the database, so a list and the versions of its rows agree.
    void beginRead();
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const { return m_inTransaction; }

    // Runs a statement (SQLite text) with bound values; raises StoreError on
    // failure. Statements are prepared once per connection and reused.
    QSqlQuery &exec(const QString &sql, const QVariantList &values = {});

    QSqlDatabase &database() { return m_db; }

private:
    QString m_name;
    QString m_path;
    QSqlDatabase m_db;
    QHash<QString, QSqlQuery> m_statements;
    bool m_inTransaction = false;
    bool m_readOnly = false;
};
