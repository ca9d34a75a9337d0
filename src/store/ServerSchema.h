#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class ServerDatabase;

// The register on a PostgreSQL server, made from the same definitions as the
// SQLite file (Schema): each of Schema's statements is translated by a few
// rules, and the change history's triggers are written in PL/pgSQL from the
// tables' columns, computing the same hash chain on the server.
class ServerSchema
{
public:
    // The role that owns every object and cannot log in.
    static QString ownerRole();
    // Read and write on the register's tables (経理) and read only (閲覧);
    // the users of an office are made members of one of them.
    static QString writerRole();
    static QString readerRole();
    // The column of the print work table TMPTbl naming the user whose row
    // it is; each user sees and replaces only their own rows.
    static QString workUserColumn();
    // The one-row table that holds Schema::version().
    static QString versionTable();
    // The notification the notes' history trigger sends, once per
    // transaction that changed notes; delivered when it commits.
    static QString notesChannel();

    // PostgreSQL's form of one of Schema's statements, or of a temporary
    // table the program makes: codes compared without regard to case become
    // citext, amounts exact numeric, a GLOB check a regular expression,
    // IFNULL COALESCE, a case-blind index column citext, the guard triggers
    // PL/pgSQL, the version a table. Raises
    // StoreError for a form it does not know, so that no statement is
    // silently left out.
    static QStringList translate(const QString &statement);

    // Every statement that makes the register, its history and its roles in
    // an empty database, to be run in one transaction by the database's
    // owner (a superuser, or a user who may create roles).
    static QStringList createStatements();

    // A column of a table the history keeps, as Schema spells it, with its
    // default in SQLite's text (empty when none).
    struct Column
    {
        QString name;
        QString defaultValue;
    };
    static QList<Column> columns(const QString &table);
    // A column name as Schema spells it; `name` itself when no table or view
    // has a column by that name.
    static QString spelling(const QString &name);
    // The expression of a row's values as the history's triggers record
    // them (a JSON object's text); `row` names the row, or is empty.
    static QString rowObject(const QStringList &columns, const QString &row = QString());

    // The register's tables, as Schema names them.
    static QStringList tables();

    // The tables and views the database holds outside the server's own.
    static int relationCount(ServerDatabase &server);
    // Raises StoreError unless the database keeps its text in UTF-8, which
    // the names and the history's hashes need.
    static void requireUtf8(ServerDatabase &server);
    // Runs createStatements() in one transaction; refuses a database that
    // already holds tables or views or is not UTF-8.
    static void create(ServerDatabase &server);
};
