#include "ValueColumn.h"

#include "store/StatementReader.h"


#include <bit>

namespace {

// Blocks small enough to come from the heap the last list gave back.
constexpr qsizetype blockSize = 16 * 1024;
constexpr int offsetBits = 15;
constexpr quint32 offsetMask = (1u << offsetBits) - 1;

} // namespace

void ValueColumn::reserve(qsizetype cells)
{
    m_kinds.reserve(cells);
    m_ends.reserve(cells);
}

void ValueColumn::clear()
{
    m_kinds.clear();
    m_ends.clear();
    m_blocks.clear();
    m_used = 0;
    m_numbers.clear();
    m_others.clear();
}

char *ValueColumn::room(qsizetype length)
{
    if (m_blocks.isEmpty() || m_used + length > m_blocks.last().size()) {
        m_blocks.append(QByteArray(blockSize, Qt::Uninitialized));
        m_used = 0;
    }
    return m_blocks.last().data() + m_used;
}

void ValueColumn::endCell(Kind kind)
{
    m_kinds.append(kind);
    const quint32 block = m_blocks.isEmpty() ? 0 : quint32(m_blocks.size() - 1);
    m_ends.append(block << offsetBits | quint32(m_used));
}

void ValueColumn::append(const QVariant &value)
{
    Kind kind = Other;
    switch (value.typeId()) {
    case QMetaType::QString:
        kind = value.isNull() ? Null : Text;
        break;
    case QMetaType::LongLong:
        appendNumber(Integer, value.toLongLong());
        return;
    case QMetaType::Double:
        appendNumber(Real, std::bit_cast<qint64>(value.toDouble()));
        return;
    default:
        break;
    }
    const QByteArray text = kind == Text ? value.toString().toUtf8() : QByteArray();
    if (text.size() >= blockSize)
        kind = Other;
    if (kind == Text) {
        std::copy(text.cbegin(), text.cend(), room(text.size()));
        m_used += text.size();
    } else if (kind == Other) {
        m_others.insert(m_kinds.size(), value);
    }
    endCell(kind);
}

void ValueColumn::appendNumber(Kind kind, qint64 bits)
{
    m_numbers.resize(m_kinds.size() + 1);
    m_numbers.last() = bits;
    endCell(kind);
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
        // Kept as the engine's UTF-8, copied straight into the block: a
        // list of many thousand rows is decoded only where it is shown.
        const QByteArrayView bytes = reader.utf8(column);
        if (bytes.size() >= blockSize) {
            append(reader.value(column));
            return;
        }
        std::copy(bytes.begin(), bytes.end(), room(bytes.size()));
        m_used += bytes.size();
        endCell(Text);
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
        const quint32 end = m_ends.at(cell);
        const quint32 before = cell == 0 ? 0 : m_ends.at(cell - 1);
        const qsizetype block = qsizetype(end >> offsetBits);
        const qsizetype stop = qsizetype(end & offsetMask);
        const qsizetype start = qsizetype(before >> offsetBits) == block ? qsizetype(before & offsetMask) : 0;
        return QString::fromUtf8(m_blocks.at(block).constData() + start, stop - start);
    }
    case Integer:
        return qlonglong(m_numbers.at(cell));
    case Real:
        return std::bit_cast<double>(m_numbers.at(cell));
    default:
        return m_others.value(cell);
    }
}
