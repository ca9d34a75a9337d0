#pragma once

#include <QByteArray>
#include <QByteArrayView>

struct sqlite3;

// The SQL functions the change history's triggers call, registered on every
// connection the program opens: ribodo_user() (the operating-system user),
// ribodo_source() (see ChangeSource) and ribodo_hash(...) (SHA-256 over its
// arguments). A connection without them cannot write the tables the history
// covers.
class HistoryFunctions
{
public:
    static void install(sqlite3 *db);

    // History rows this program has written so far (a rolled-back change
    // counts too), so that rows written by other programs can be told apart.
    static qint64 rowsWritten();
    // History rows a server's triggers wrote for this program's statements.
    static void addRowsWritten(qint64 rows);

    // The user recorded in the history.
    static QByteArray user();

    // The hash ribodo_hash computes, fed value by value, so that a check can
    // recompute a row's hash from the stored values.
    class Hash
    {
    public:
        void addNull();
        void addInteger(qint64 value);
        void addReal(double value);
        void addText(QByteArrayView utf8);
        // Lower-case hex; empty when the digest is not available.
        QByteArray result() const;

    private:
        // The whole stream, digested at once: one history row is a few
        // hundred bytes, and a single call lets the library use the
        // processor's SHA instructions.
        QByteArray m_stream;
    };
};
