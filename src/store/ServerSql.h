#pragma once

#include <QString>

// The program writes its statements for SQLite; the office register's
// server runs PostgreSQL. Each statement is turned into the server's form by
// a few rules, and a form the rules do not know is refused with StoreError
// naming the statement, so that nothing other than what was meant runs.
class ServerSql
{
public:
    // The server's form of one statement (SQLite text).
    static QString fromSqlite(const QString &sqlite);

    // The column that gives each row of a server table the stable identity
    // SQLite's rowid gives it: named alike, so that statements walking a
    // table by its rowid read the same on both engines. Never part of what
    // the program reads or writes as a row.
    static QString rowIdColumn();
    // Its definition, added to every table of the register but the history
    // (whose rows are numbered already and are written whole by triggers).
    static QString rowIdDefinition();

    // A GLOB pattern as an anchored regular expression.
    static QString globToRegex(const QString &glob);
};
