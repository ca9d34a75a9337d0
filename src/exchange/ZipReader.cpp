#include "ZipReader.h"

#include <QFile>

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr quint32 endSignature = 0x06054b50;
constexpr quint32 end64Signature = 0x06064b50;
constexpr quint32 end64LocatorSignature = 0x07064b50;
constexpr quint32 centralSignature = 0x02014b50;
constexpr quint32 localSignature = 0x04034b50;
constexpr qint64 endSize = 22;
constexpr qint64 chunk = 1 << 16;

quint64 little(const char *p, int bytes)
{
    quint64 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | quint8(p[i]);
    return v;
}

struct Fault
{
    QString text;
};

QByteArray readAt(QFile &file, qint64 offset, qint64 size)
{
    if (offset < 0 || size < 0 || offset + size > file.size() || !file.seek(offset))
        throw Fault{QStringLiteral("offset %1 beyond the end of the file").arg(offset)};
    QByteArray bytes = file.read(size);
    if (bytes.size() != size)
        throw Fault{QStringLiteral("short read at %1").arg(offset)};
    return bytes;
}

struct Entry
{
    QString name;
    quint16 method = 0;
    quint32 crc = 0;
    quint64 packed = 0;
    quint64 size = 0;
    quint64 offset = 0;
};

// Where the central directory lies and how many entries it has.
struct Directory
{
    quint64 offset = 0;
    quint64 size = 0;
    quint64 entries = 0;
};

Directory findDirectory(QFile &file)
{
    const qint64 fileSize = file.size();
    if (fileSize < endSize)
        throw Fault{QStringLiteral("too short for a zip archive")};
    // The end record is the last thing in the file, followed only by its
    // comment, which the workbook does not have.
    const qint64 tailSize = std::min<qint64>(fileSize, endSize + 0xFFFF);
    const QByteArray tail = readAt(file, fileSize - tailSize, tailSize);
    qint64 at = -1;
    for (qint64 i = tail.size() - endSize; i >= 0; --i) {
        if (little(tail.constData() + i, 4) == endSignature
            && i + endSize + qint64(little(tail.constData() + i + 20, 2)) == tail.size()) {
            at = i;
            break;
        }
    }
    if (at < 0)
        throw Fault{QStringLiteral("no end of central directory")};
    const char *e = tail.constData() + at;
    Directory d{little(e + 16, 4), little(e + 12, 4), little(e + 10, 2)};
    const qint64 endAt = fileSize - tailSize + at;
    qint64 directoryEnd = endAt;
    if (d.offset == 0xFFFFFFFF || d.size == 0xFFFFFFFF || d.entries == 0xFFFF) {
        const QByteArray locator = readAt(file, endAt - 20, 20);
        if (little(locator.constData(), 4) != end64LocatorSignature)
            throw Fault{QStringLiteral("no zip64 end locator")};
        const qint64 end64At = qint64(little(locator.constData() + 8, 8));
        const QByteArray end64 = readAt(file, end64At, 56);
        if (little(end64.constData(), 4) != end64Signature)
            throw Fault{QStringLiteral("no zip64 end record")};
        d = {little(end64.constData() + 48, 8), little(end64.constData() + 40, 8), little(end64.constData() + 32, 8)};
        directoryEnd = end64At;
    } else if (endAt >= 20 && little(readAt(file, endAt - 20, 4).constData(), 4) == end64LocatorSignature) {
        directoryEnd = qint64(little(readAt(file, endAt - 12, 8).constData(), 8));
    }
    if (d.offset + d.size != quint64(directoryEnd))
        throw Fault{QStringLiteral("central directory does not end where the end record begins")};
    return d;
}

QList<Entry> readDirectory(QFile &file, const Directory &d)
{
    const QByteArray bytes = readAt(file, qint64(d.offset), qint64(d.size));
    QList<Entry> entries;
    qint64 at = 0;
    while (at + 46 <= bytes.size()) {
        const char *p = bytes.constData() + at;
        if (little(p, 4) != centralSignature)
            throw Fault{QStringLiteral("damaged central directory entry %1").arg(entries.size() + 1)};
        Entry e;
        e.method = quint16(little(p + 10, 2));
        e.crc = quint32(little(p + 16, 4));
        e.packed = little(p + 20, 4);
        e.size = little(p + 24, 4);
        e.offset = little(p + 42, 4);
        const qint64 nameLength = qint64(little(p + 28, 2));
        const qint64 extraLength = qint64(little(p + 30, 2));
        const qint64 commentLength = qint64(little(p + 32, 2));
        if (at + 46 + nameLength + extraLength + commentLength > bytes.size())
            throw Fault{QStringLiteral("damaged central directory entry %1").arg(entries.size() + 1)};
        e.name = QString::fromUtf8(p + 46, nameLength);
        // The zip64 field holds, in this order, whichever of the three
        // values did not fit their 32-bit places.
        for (qint64 x = 0; x + 4 <= extraLength;) {
            const char *field = p + 46 + nameLength + x;
            const qint64 fieldSize = qint64(little(field + 2, 2));
            if (little(field, 2) == 0x0001) {
                const char *v = field + 4;
                const char *end = v + fieldSize;
                for (quint64 *value : {&e.size, &e.packed, &e.offset}) {
                    if (*value == 0xFFFFFFFF && v + 8 <= end) {
                        *value = little(v, 8);
                        v += 8;
                    }
                }
            }
            x += 4 + fieldSize;
        }
        entries << e;
        at += 46 + nameLength + extraLength + commentLength;
    }
    if (at != bytes.size() || quint64(entries.size()) != d.entries)
        throw Fault{QStringLiteral("central directory holds %1 of %2 entries").arg(entries.size()).arg(d.entries)};
    return entries;
}

void readEntry(QFile &file, const Entry &e, const ZipReader::Consumer &consume)
{
    const QByteArray local = readAt(file, qint64(e.offset), 30);
    if (little(local.constData(), 4) != localSignature)
        throw Fault{QStringLiteral("%1: no local header").arg(e.name)};
    qint64 at = qint64(e.offset) + 30 + qint64(little(local.constData() + 26, 2)) + qint64(little(local.constData() + 28, 2));
    if (e.method != 0 && e.method != Z_DEFLATED)
        throw Fault{QStringLiteral("%1: compression method %2").arg(e.name).arg(e.method)};
    if (at + qint64(e.packed) > file.size())
        throw Fault{QStringLiteral("%1: cut off").arg(e.name)};

    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        throw Fault{QStringLiteral("%1: inflate").arg(e.name)};
    quint64 left = e.packed;
    quint64 produced = 0;
    uLong crc = crc32(0, nullptr, 0);
    QByteArray out(chunk, Qt::Uninitialized);
    int status = Z_OK;
    const auto deliver = [&](const char *data, qint64 size) {
        crc = crc32(crc, reinterpret_cast<const Bytef *>(data), uInt(size));
        produced += quint64(size);
        if (consume)
            consume(e.name, QByteArrayView(data, size));
    };
    try {
        while (left > 0) {
            const QByteArray in = readAt(file, at, qint64(std::min<quint64>(left, chunk)));
            at += in.size();
            left -= quint64(in.size());
            if (e.method == 0) {
                deliver(in.constData(), in.size());
                continue;
            }
            z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.constData()));
            z.avail_in = uInt(in.size());
            while (z.avail_in > 0 && status != Z_STREAM_END) {
                z.next_out = reinterpret_cast<Bytef *>(out.data());
                z.avail_out = uInt(out.size());
                status = inflate(&z, Z_NO_FLUSH);
                if (status != Z_OK && status != Z_STREAM_END)
                    throw Fault{QStringLiteral("%1: damaged data").arg(e.name)};
                deliver(out.constData(), out.size() - qint64(z.avail_out));
            }
        }
        // What is left inside the inflater once all input is in.
        while (e.method != 0 && status != Z_STREAM_END) {
            z.next_out = reinterpret_cast<Bytef *>(out.data());
            z.avail_out = uInt(out.size());
            status = inflate(&z, Z_FINISH);
            if (status != Z_STREAM_END && !(status == Z_BUF_ERROR && z.avail_out == 0))
                throw Fault{QStringLiteral("%1: cut off").arg(e.name)};
            deliver(out.constData(), out.size() - qint64(z.avail_out));
        }
    } catch (...) {
        inflateEnd(&z);
        throw;
    }
    inflateEnd(&z);
    if (produced != e.size || quint32(crc) != e.crc)
        throw Fault{QStringLiteral("%1: size or checksum differs").arg(e.name)};
}

} // namespace

QStringList ZipReader::read(const QString &path, const Consumer &consume, QString *error)
{
    error->clear();
    QStringList names;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return names;
    }
    try {
        const QList<Entry> entries = readDirectory(file, findDirectory(file));
        for (const Entry &e : entries) {
            readEntry(file, e, consume);
            names << e.name;
        }
    } catch (const Fault &fault) {
        *error = fault.text;
    }
    return names;
}
