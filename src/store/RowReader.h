#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// The rows of one statement, one at a time, whichever engine holds the
// register: the check of the history and the copies between the SQLite file
// and the server read through it.
class RowReader
{
public:
    enum class Type { Null, Integer, Real, Text, Blob };

    virtual ~RowReader() = default;

    // Moves to the next row; false after the last. Raises StoreError when
    // the engine fails on the way.
    virtual bool next() = 0;
    virtual Type type(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
    virtual double real(int column) const = 0;
    // A text's UTF-8 bytes as the engine holds them, valid until next().
    virtual QByteArrayView utf8(int column) const = 0;
};
