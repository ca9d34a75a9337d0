#include "TestDataFolder.h"

#include "store/Connection.h"
#include "store/DataFolderBuilder.h"
#include "store/Schema.h"
#include "store/ServerConnectionText.h"

#include <QDir>
#include <QFile>
#include <QSqlDriver>
#include <QSqlQuery>

#include <sqlite3.h>

TestDataFolder::TestDataFolder(bool createDatabase)
{
    if (createDatabase && m_dir.isValid())
        DataFolderBuilder::createDatabase(path());
}

QString TestDataFolder::path() const
{
    return QDir::toNativeSeparators(m_dir.path()) + QDir::separator();
}

QString TestDataFolder::databasePath() const
{
    return Schema::databasePath(path());
}

void TestDataFolder::useServer(const QString &connectionText) const
{
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(databasePath() + QLatin1String(suffix));
    QFile file(QDir(m_dir.path()).filePath(ServerConnectionText::fileName()));
    if (file.open(QIODevice::WriteOnly))
        file.write(connectionText.toUtf8() + '\n');
}

void TestDataFolder::exec(const QString &sql, const QVariantList &values) const
{
    Connection c;
    c.open(Schema::connectionText(path()));
    c.exec(sql, values).finish();
}

void TestDataFolder::execElsewhere(const QString &sql, const QVariantList &values) const
{
    Connection c;
    c.open(Schema::connectionText(path()));
    const QVariant handle = c.database().driver()->handle();
    sqlite3 *db = *static_cast<sqlite3 *const *>(handle.constData());
    const auto otherProgram = [](sqlite3_context *context, int, sqlite3_value **) {
        sqlite3_result_text(context, "他の端末", -1, SQLITE_STATIC);
    };
    const auto otherUser = [](sqlite3_context *context, int, sqlite3_value **) {
        sqlite3_result_text(context, "keiri2", -1, SQLITE_STATIC);
    };
    sqlite3_create_function_v2(db, "ribodo_source", 0, SQLITE_UTF8, nullptr, otherProgram, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "ribodo_user", 0, SQLITE_UTF8, nullptr, otherUser, nullptr, nullptr, nullptr);
    c.exec(sql, values).finish();
}

QVariant TestDataFolder::scalar(const QString &sql, const QVariantList &values) const
{
    return scalarAt(path(), sql, values);
}

QString TestDataFolder::lastChange() const
{
    return scalar(QStringLiteral("SELECT RUser || ', ' || replace(substr(RAt, 1, 16), '-', '/') FROM RirekiTbl "
                                 "ORDER BY RNo DESC LIMIT 1")).toString();
}

QVariant TestDataFolder::scalarAt(const QString &location, const QString &sql, const QVariantList &values)
{
    Connection c;
    const bool folder = location.endsWith(QDir::separator()) || location.endsWith(QLatin1Char('/'));
    c.open(folder ? Schema::connectionText(location) : QStringLiteral("Data Source=") + location);
    QSqlQuery &q = c.exec(sql, values);
    const QVariant v = q.next() ? q.value(0) : QVariant();
    q.finish();
    return v;
}

QByteArray TestDataFolder::fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}

bool TestDataFolder::writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

void TestDataFolder::addNote(const QString &number, const QString &dueDate, const QString &state, double amount,
                             const QString &payee, const QString &bank) const
{
    exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, "
                        "TRemarks, TKeiri) VALUES (?, '2024-01-10', ?, ?, ?, ?, '1', '1', ?, '', '1')"),
         {number, dueDate, bank, payee, amount, state});
}
