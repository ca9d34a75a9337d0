#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

class StatementReader;

// One column of a long list, held compactly: the texts one after another as
// UTF-8 in blocks, numbers beside them, a byte per cell for its kind. A list
// of 100,000 suppliers costs a few megabytes, no allocation per cell and no
// copying as it grows; a cell comes back as the same QVariant it was given.
class ValueColumn
{
public:
    void append(const QVariant &value);
    // Appends the reader's value in the column without making a QVariant.
    void append(const StatementReader &reader, int column);
    void reserve(qsizetype cells);
    void clear();
    qsizetype size() const { return m_kinds.size(); }
    QVariant at(qsizetype cell) const;

private:
    enum Kind : quint8 { Null, Text, Integer, Real, Other };

    // Room for `length` more bytes at the end of the last block.
    char *room(qsizetype length);
    void endCell(Kind kind);
    void appendNumber(Kind kind, qint64 bits);

    QVector<quint8> m_kinds;
    // Where each cell's text ends: its block above the low 15 bits, the
    // offset in the block in them. A text begins where the cell before it
    // ended, or at the start of a new block. A text longer than a block is
    // kept with the other values.
    QVector<quint32> m_ends;
    QVector<QByteArray> m_blocks;
    qsizetype m_used = 0; // bytes used in the last block
    QVector<qint64> m_numbers; // filled up to the last number only
    QHash<qsizetype, QVariant> m_others; // any other kind of value, as given
};
