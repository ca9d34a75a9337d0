#include "MdbReader.h"

#include "store/StoreError.h"

#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#ifdef RIBODO_HAVE_MDB
#include <mdbtools.h>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif
#endif

namespace {

#ifdef RIBODO_HAVE_MDB

// libmdb writes its English messages ("offset … is beyond EOF") to the
// standard error stream, meant for its own command-line tools; what is wrong
// reaches the user in Japanese. They go to the null device while the file
// is read.
class QuietLibrary
{
public:
    QuietLibrary()
#ifdef Q_OS_WIN
        : m_sink(std::fopen("NUL", "w"))
#else
        : m_sink(std::fopen("/dev/null", "w"))
#endif
    {
        std::fflush(stderr);
        m_saved = m_sink ? dup(fileno(stderr)) : -1;
        if (m_saved >= 0 && dup2(fileno(m_sink), fileno(stderr)) < 0) {
            close(m_saved);
            m_saved = -1;
        }
    }
    ~QuietLibrary()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            dup2(m_saved, fileno(stderr));
            close(m_saved);
        }
        if (m_sink)
            std::fclose(m_sink);
    }
    QuietLibrary(const QuietLibrary &) = delete;
    QuietLibrary &operator=(const QuietLibrary &) = delete;

private:
    std::FILE *m_sink = nullptr;
    int m_saved = -1;
};

const char *const registerTables[] = {"kbn1", "kbn2", "Kbn3", "Kbn4", "Kbn5", "kbn6", "SireCliant", "SiteTbl", "TMPTbl"};

QString damaged(const QString &path)
{
    return QStringLiteral("以前の版のデータベースを読み込めません。ファイルが壊れているか、途中で切れています。\n%1")
            .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

// Large enough for the longest memo the earlier version could hold, in UTF-8.
constexpr size_t bindSize = 256 * 1024;

struct HandleCloser
{
    void operator()(MdbHandle *h) const { mdb_close(h); }
};
struct TableFreer
{
    void operator()(MdbTableDef *t) const { mdb_free_tabledef(t); }
};

qint64 littleEndian64(const unsigned char *p)
{
    quint64 v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return qint64(v);
}

// Day 0 of the Jet calendar; the fraction is the time of day, which a
// register date does not carry.
QDate jetDate(double days)
{
    return QDate(1899, 12, 30).addDays(qint64(days));
}

// A fixed-size value straight from the row's bytes, so that numbers keep
// every digit and no locale shapes them.
QVariant fixedValue(const MdbColumn *col, const unsigned char *p)
{
    switch (col->col_type) {
    case MDB_BYTE:
        return qint64(p[0]);
    case MDB_INT:
        return qint64(qint16(mdb_get_int16(const_cast<unsigned char *>(p), 0)));
    case MDB_LONGINT:
        return qint64(qint32(mdb_get_int32(const_cast<unsigned char *>(p), 0)));
    case MDB_MONEY:
        return double(littleEndian64(p)) / 10000.0;
    case MDB_FLOAT:
        return double(mdb_get_single(const_cast<unsigned char *>(p), 0));
    case MDB_DOUBLE:
        return mdb_get_double(const_cast<unsigned char *>(p), 0);
    case MDB_DATETIME:
        return jetDate(mdb_get_double(const_cast<unsigned char *>(p), 0));
    default:
        return {};
    }
}

LegacyTable readTable(MdbHandle *mdb, MdbCatalogEntry *entry, const QString &path)
{
    LegacyTable result;
    result.name = QString::fromUtf8(entry->object_name);
    std::unique_ptr<MdbTableDef, TableFreer> table(mdb_read_table(entry));
    if (!table || !mdb_read_columns(table.get()))
        throw StoreError(damaged(path), QStringLiteral("%1: table definition").arg(result.name));

    const unsigned columnCount = table->num_cols;
    std::vector<QByteArray> bound(columnCount);
    std::vector<int> lengths(columnCount, 0);
    for (unsigned i = 0; i < columnCount; ++i) {
        auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        result.columns << QString::fromUtf8(col->name);
        bound[i] = QByteArray(qsizetype(bindSize), '\0');
        mdb_bind_column(table.get(), int(i) + 1, bound[i].data(), &lengths[i]);
    }

    std::vector<MdbField> fields(columnCount);
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        // The bound texts cannot tell a null from an empty text; the row's
        // own null mask can.
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb, int(table->cur_row) - 1, &start, &size) != 0)
            throw StoreError(damaged(path), QStringLiteral("%1: row %2").arg(result.name).arg(result.rows.size() + 1));
        start &= 0x1fff;
        if (mdb_crack_row(table.get(), start, size, fields.data()) < int(columnCount))
            throw StoreError(damaged(path), QStringLiteral("%1: row %2").arg(result.name).arg(result.rows.size() + 1));

        QVariantList row(columnCount);
        for (unsigned f = 0; f < columnCount; ++f) {
            const MdbField &field = fields[f];
            const unsigned i = unsigned(field.colnum);
            if (i >= columnCount)
                continue;
            auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
            if (col->col_type == MDB_BOOL) {
                // A yes/no column keeps its value in the null mask.
                row[i] = qint64(field.is_null ? 0 : 1);
                continue;
            }
            if (field.is_null)
                continue;
            const unsigned char *bytes = mdb->pg_buf + field.start;
            QVariant value = fixedValue(col, bytes);
            if (!value.isValid()) {
                const QString text = QString::fromUtf8(bound[i].constData(), lengths[i]);
                // A memo that says it holds text and reads back as none lies
                // on pages the file does not have.
                if (col->col_type == MDB_MEMO && text.isEmpty() && field.siz >= MDB_MEMO_OVERHEAD
                    && (mdb_get_int32(const_cast<unsigned char *>(bytes), 0) & 0x3fffffff) > 0)
                    throw StoreError(damaged(path),
                                     QStringLiteral("%1: row %2, %3").arg(result.name).arg(result.rows.size() + 1).arg(result.columns.at(int(i))));
                value = text;
            }
            row[i] = value;
        }
        result.rows << row;
    }
    // A table cut short by a damaged or truncated file yields fewer rows
    // than its definition counts, and the library does not say so.
    if (qsizetype(table->num_rows) > result.rows.size())
        throw StoreError(damaged(path), QStringLiteral("%1: %2 of %3 rows readable")
                                                .arg(result.name)
                                                .arg(result.rows.size())
                                                .arg(table->num_rows));
    return result;
}

QList<LegacyTable> readTables(const QString &mdbPath, const QString &shown, qint64 fileSize)
{
    std::unique_ptr<MdbHandle, HandleCloser> mdb(mdb_open(QFile::encodeName(mdbPath).constData(), MDB_NOFLAGS));
    if (!mdb)
        throw StoreError(QStringLiteral("以前の版のデータベースとして開けません。Access のデータベース ファイルではないか、"
                                        "壊れています。\n%1")
                                 .arg(shown));
    // Pages are whole: a file that ends inside one has been cut off.
    if (mdb->fmt->pg_size <= 0 || fileSize % mdb->fmt->pg_size != 0)
        throw StoreError(damaged(mdbPath), QStringLiteral("file size %1").arg(fileSize));
    mdb_set_bind_size(mdb.get(), bindSize);

    GPtrArray *catalog = mdb_read_catalog(mdb.get(), MDB_TABLE);
    if (!catalog)
        throw StoreError(damaged(mdbPath), QStringLiteral("catalog"));
    QList<LegacyTable> tables;
    for (const char *wanted : registerTables) {
        const QString name = QString::fromLatin1(wanted);
        MdbCatalogEntry *found = nullptr;
        for (guint i = 0; i < catalog->len && !found; ++i) {
            auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(catalog, i));
            if (entry->object_type == MDB_TABLE && name.compare(QString::fromUtf8(entry->object_name), Qt::CaseInsensitive) == 0)
                found = entry;
        }
        if (!found) {
            // The work table only holds the last printed list.
            if (name == QLatin1String("TMPTbl"))
                continue;
            throw StoreError(QStringLiteral("このファイルには手形台帳の表「%1」がありません。"
                                            "以前の版の dbRibodo.mdb を指定してください。\n%2")
                                     .arg(name, shown));
        }
        tables << readTable(mdb.get(), found, mdbPath);
    }
    return tables;
}

#endif

} // namespace

bool MdbReader::available()
{
#ifdef RIBODO_HAVE_MDB
    return true;
#else
    return false;
#endif
}

QList<LegacyTable> MdbReader::readRegister(const QString &mdbPath)
{
    const QFileInfo info(mdbPath);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!info.isFile())
        throw StoreError(QStringLiteral("以前の版のデータベースが見つかりません。\n%1").arg(shown));
#ifdef RIBODO_HAVE_MDB
    // An Access 97 file keeps its text in the Japanese code page; later
    // formats in Unicode, which the library hands over as UTF-8.
    if (qEnvironmentVariableIsEmpty("MDB_JET3_CHARSET"))
        qputenv("MDB_JET3_CHARSET", "CP932");
    qputenv("MDB_ICONV", "UTF-8");

    const QuietLibrary quiet;
    return readTables(mdbPath, shown, info.size());
#else
    throw StoreError(QStringLiteral("この版は Access のデータベースを読み込めません。\n%1").arg(shown));
#endif
}
