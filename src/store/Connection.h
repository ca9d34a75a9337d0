#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <memory>

class QSqlError;
class ServerDatabase;
class ServerConnectionText;
class StoreError;

// One connection to the database file of a data folder, or to the office
// register on a PostgreSQL server. Every record object and every screen that
// runs its own statements owns one; several may be open on the same register
// at once. Statements are written for SQLite and translated for the server.
class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens the database named by a connection text ("...;Data Source=<path>"),
    // or the server named by a server's text ("Provider=PostgreSQL;..."), or
    // the server named in the data folder's server file when the folder
    // holds that instead of a database file. Raises StoreError when the
    // database is missing or cannot be opened. A file on a medium or share
    // that cannot be written is opened read-only, and so is a server
    // register for a user who may only read it.
    void open(const QString &connectionText);
    void close();
    // A server register stays open when its session is lost: the next
    // statement opens a new one.
    bool isOpen() const { return m_server ? true : m_db.isOpen(); }
    // Empty for a server register.
    QString databasePath() const { return m_path; }

    enum class Engine { SQLite, PostgreSQL };
    Engine engine() const { return m_server ? Engine::PostgreSQL : Engine::SQLite; }
    bool isServer() const { return m_server != nullptr; }
    // The server's own connection; null for a SQLite register.
    ServerDatabase *serverDatabase() { return m_server.get(); }
    // On a server register whose session was lost (the connection broke, the
    // server restarted), opens a new session with what a session needs (the
    // precision of amounts, the change source, the read-only check). Raises
    // StoreError when the server cannot be reached, or when the lost session
    // held the open transaction: its statements fail until it is ended.
    void ensureSession();
    // The error for a failed statement of this connection; on a server whose
    // session is gone, the message that says so.
    StoreError failure(const QString &explanation, const QSqlError &error, const QString &detail = QString());
    // The statement (SQLite text) as the engine runs it; translated once
    // per text. Raises StoreError for a form the server has none of.
    QString statement(const QString &sql);
    // True for a table (a temporary one too), false for a view; raises
    // StoreError when there is neither by that name (any letter case).
    bool isTable(const QString &name);
    // The table's columns as a row has them (without the server's row
    // identity).
    QStringList columns(const QString &table);

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

    // The current session's database (see ensureSession).
    QSqlDatabase &database();

private:
    void openServer(const ServerConnectionText &server);
    void readPrivileges();
    void markLost();
    void dropSession(std::unique_ptr<ServerDatabase> next);
    QSqlQuery &run(const QString &key, const QString &engineSql, const QVariantList &values);
    void sendSource();

    std::unique_ptr<ServerDatabase> m_server;
    QHash<QString, QString> m_translated;
    // The change source last told the server, for the session and for the
    // open transaction.
    QString m_sessionSource;
    QString m_transactionSource;
    QString m_name;
    QString m_path;
    QSqlDatabase m_db;
    QHash<QString, QSqlQuery> m_statements;
    bool m_inTransaction = false;
    bool m_readOnly = false;
    // The server's session is gone; the next statement outside a
    // transaction opens a new one.
    bool m_lost = false;
};
