#include "RegisterExport.h"

#include "CsvExport.h"
#include "SavedFile.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "store/ServerSchema.h"
#include "store/StatementReader.h"
#include "store/StoreError.h"

#include <QCryptographicHash>

#include <algorithm>
#include <QDir>
#include <QSaveFile>

namespace {

// A CSV file written through the export's own quoting, its hash taken on
// the way.
class HashedCsv
{
public:
    explicit HashedCsv(const QString &path)
        : m_file(path)
        , m_path(path)
    {
        if (!m_file.open(QIODevice::WriteOnly))
            throw StoreError(SavedFile::failureText(path), m_file.errorString());
        write(QByteArray("\xEF\xBB\xBF"));
    }

    void add(const QStringList &fields)
    {
        m_text += CsvExport::line(fields);
        m_text += QLatin1String("\r\n");
        if (m_text.size() > (1 << 18))
            flush();
    }

    QByteArray commit()
    {
        flush();
        if (!m_file.commit())
            throw StoreError(SavedFile::failureText(m_path), m_file.errorString());
        return m_hash.result().toHex();
    }

private:
    void flush()
    {
        write(CsvExport::encode(m_text, CsvExport::Encoding::Utf8Bom));
        m_text.resize(0);
    }
    void write(const QByteArray &bytes)
    {
        m_hash.addData(bytes);
        if (m_file.write(bytes) != bytes.size())
            throw StoreError(SavedFile::failureText(m_path), m_file.errorString());
    }

    QSaveFile m_file;
    QString m_path;
    QString m_text;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
};

// The stored value as text: reals in their shortest exact form, so that
// 150000 stays 150000.
QString stored(const StatementReader &row, int column)
{
    switch (row.type(column)) {
    case StatementReader::Type::Null:
        return QString();
    case StatementReader::Type::Integer:
        return QString::number(row.integer(column));
    case StatementReader::Type::Real:
        return QString::number(row.real(column), 'f', QLocale::FloatingPointShortest);
    default:
        return QString::fromUtf8(row.utf8(column));
    }
}

} // namespace

QString RegisterExport::manifestName()
{
    return QStringLiteral("manifest.csv");
}

QList<RegisterExport::File> RegisterExport::writeAll(const QString &dataFolder, const QString &outDir)
{
    if (!QDir().mkpath(outDir))
        throw StoreError(QStringLiteral("出力先のフォルダを作れません。"), outDir);
    Connection connection;
    connection.open(Schema::connectionText(dataFolder));

    QStringList tables;
    if (connection.isServer()) {
        tables = ServerSchema::tables();
        std::sort(tables.begin(), tables.end());
    } else {
        StatementReader names(connection, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                                         "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"));
        while (names.next())
            tables << QString::fromUtf8(names.utf8(0));
    }

    // One read transaction: the files are one state of the register.
    connection.beginRead();
    QList<File> files;
    try {
        for (const QString &table : tables) {
            File file{table + QStringLiteral(".csv"), 0, {}};
            HashedCsv csv(QDir(outDir).filePath(file.name));
            // The columns by name: the server's tables have a row identity
            // of their own besides.
            // The server's history has its numbers and no row identity.
            const QStringList heading = connection.columns(table);
            const bool numbered = connection.isServer() && table == Schema::historyTable();
            StatementReader rows(connection, QStringLiteral("SELECT \"%1\" FROM \"%2\" ORDER BY %3")
                                                     .arg(heading.join(QStringLiteral("\", \"")), table,
                                                          numbered ? QStringLiteral("RNo") : QStringLiteral("rowid")));
            csv.add(heading);
            QStringList fields;
            while (rows.next()) {
                fields.clear();
                for (int c = 0; c < rows.columnCount(); ++c)
                    fields << stored(rows, c);
                csv.add(fields);
                ++file.rows;
            }
            file.sha256 = csv.commit();
            files << file;
        }
    } catch (...) {
        connection.rollbackTrans();
        throw;
    }
    connection.rollbackTrans();

    HashedCsv manifest(QDir(outDir).filePath(manifestName()));
    manifest.add({QStringLiteral("ファイル"), QStringLiteral("行数"), QStringLiteral("SHA-256")});
    for (const File &file : files)
        manifest.add({file.name, QString::number(file.rows), QString::fromLatin1(file.sha256)});
    manifest.commit();
    return files;
}
