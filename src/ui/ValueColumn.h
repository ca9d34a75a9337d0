#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

class StatementReader;

// One column of a long list, held compactly: the texts one after another in
// one buffer, numbers beside them, a byte per cell for its kind. A list of
// 100,000 suppliers costs a few megabytes and no allocation per cell; a cell
// comes back as the same QVariant it was given.
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

    void appendNumber(Kind kind, qint64 bits);

    QVector<quint8> m_kinds;
    QVector<qint32> m_ends;   // where each cell's text ends in m_text
    QString m_text;
    QVector<qint64> m_numbers; // filled up to the last number only
    QHash<qsizetype, QVariant> m_others; // any other kind of value, as given
};
