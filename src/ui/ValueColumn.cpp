#include "ValueColumn.h"

#include "store/StatementReader.h"

#include <QStringDecoder>

#include <bit>

void ValueColumn::reserve(qsizetype cells)
{
    m_kinds.reserve(cells);
    m_ends.reserve(cells);
}

void ValueColumn::clear()
{
    m_kinds.clear();
    m_ends.clear();
    m_text.clear();
    m_numbers.clear();
    m_others.clear();
}

void ValueColumn::append(const QVariant &value)
{
    const qsizetype cell = m_kinds.size();
    Kind kind = Other;
    switch (value.typeId()) {
    case QMetaType::QString:
        kind = value.isNull() ? Null : Text;
        break;
    case QMetaType::LongLong:
        kind = Integer;
        break;
    case QMetaType::Double:
        kind = Real;
        break;
    default:
        break;
    }
    if (kind == Integer || kind == Real) {
        appendNumber(kind, kind == Integer ? value.toLongLong() : std::bit_cast<qint64>(value.toDouble()));
        return;
    }
    if (kind == Text)
        m_text += value.toString();
    else if (kind == Other)
        m_others.insert(cell, value);
    m_kinds.append(kind);
    m_ends.append(qint32(m_text.size()));
}

void ValueColumn::appendNumber(Kind kind, qint64 bits)
{
    m_numbers.resize(m_kinds.size() + 1);
    m_numbers.last() = bits;
    m_kinds.append(kind);
    m_ends.append(qint32(m_text.size()));
}

void ValueColumn::append(const StatementReader &reader, int column)
{
    switch (reader.type(column)) {
    case StatementReader::Type::Integer:
        appendNumber(Integer, reader.integer(column));
        return;
    case StatementReader::Type::Real:
        appendNumber(Real, std::bit_cast<qint64>(reader.real(column)));
        return;
    case StatementReader::Type::Text: {
        // Decoded straight into the buffer: no string per cell.
        const QByteArrayView bytes = reader.utf8(column);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        const qsizetype start = m_text.size();
        const qsizetype needed = start + decoder.requiredSpace(bytes.size());
        if (needed > m_text.capacity())
            m_text.reserve(qMax(needed, 2 * m_text.capacity() + 4096));
        m_text.resize(needed);
        const QChar *end = decoder.appendToBuffer(m_text.data() + start, bytes);
        m_text.resize(end - m_text.constData());
        m_kinds.append(Text);
        m_ends.append(qint32(m_text.size()));
        return;
    }
    case StatementReader::Type::Null:
    case StatementReader::Type::Blob:
        append(reader.value(column));
        return;
    }
}

QVariant ValueColumn::at(qsizetype cell) const
{
    switch (m_kinds.at(cell)) {
    case Null:
        return QVariant(QMetaType::fromType<QString>());
    case Text: {
        const qint32 start = cell == 0 ? 0 : m_ends.at(cell - 1);
        return m_text.mid(start, m_ends.at(cell) - start);
    }
    case Integer:
        return qlonglong(m_numbers.at(cell));
    case Real:
        return std::bit_cast<double>(m_numbers.at(cell));
    default:
        return m_others.value(cell);
    }
}
