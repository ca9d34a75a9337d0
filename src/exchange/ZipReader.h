#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>

// Reads a zip archive (zip64 included) back through its central directory:
// every part is inflated whole and checked against the size and checksum the
// directory records, and the directory must end the file exactly. A file
// that passes was written completely.
class ZipReader
{
public:
    // Called with each part's content, a piece at a time, in order.
    using Consumer = std::function<void(const QString &part, QByteArrayView piece)>;

    // The names of the parts in the archive's order; raises nothing: an
    // empty `error` after the call means the archive read back whole.
    static QStringList read(const QString &path, const Consumer &consume, QString *error);
};
