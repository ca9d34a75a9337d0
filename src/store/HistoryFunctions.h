#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCryptographicHash>

struct sqlite3;

// The SQL functions the change history's triggers call, registered on every
// connection the program opens: ribodo_now() (local time to the second),
// ribodo_user() (the operating-system user), ribodo_source() (see
// ChangeSource) and ribodo_hash(...) (SHA-256 over its arguments). A
// connection without them cannot write the tables the history covers.
class HistoryFunctions
{
public:
    static void install(sqlite3 *db);

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
        // Lower-case hex.
        QByteArray result();

    private:
        QCryptographicHash m_hash{QCryptographicHash::Sha256};
    };
};
