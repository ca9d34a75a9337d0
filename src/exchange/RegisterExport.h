#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Hands the whole register over as data: every table of the database, the
// change history among them, one CSV file each (UTF-8 with a byte-order
// mark, the values as stored), and a manifest naming each file with its
// number of rows and its SHA-256.
class RegisterExport
{
public:
    struct File
    {
        QString name;
        qint64 rows = 0;
        QByteArray sha256; // lower-case hex
    };

    // "manifest.csv".
    static QString manifestName();

    // Writes the files into `outDir` (made when missing); the files written,
    // in the manifest's order. Raises StoreError.
    static QList<File> writeAll(const QString &dataFolder, const QString &outDir);
};
