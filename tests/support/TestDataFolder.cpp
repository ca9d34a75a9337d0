#include "TestDataFolder.h"

#include "ServerRegister.h"

#include "store/Connection.h"
#include "store/DataFolderBuilder.h"
#include "store/Schema.h"
#include "store/ServerConnectionText.h"

#include <QDir>
#include <QFile>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QtTest>

#include <sqlite3.h>

#include <algorithm>

TestDataFolder::TestDataFolder(bool createDatabase)
{
    if (!createDatabase || !m_dir.isValid())
        return;
    if (const ServerRegister *server = ServerRegister::selected())
        server->use(*this);
    else
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
    if (ServerRegister *server = ServerRegister::selected()) {
        QVERIFY2(server->execElsewhere(sql, values), qPrintable(server->error()));
        return;
    }
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

void TestDataFolder::refuseWrites(const QString &event, const QString &table, const QString &when) const
{
    if (ServerRegister *server = ServerRegister::selected()) {
        const QString function = QStringLiteral("refuse_%1_%2").arg(event, table).toLower();
        QVERIFY2(server->exec({QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS "
                                              "$$BEGIN RAISE EXCEPTION 'locked'; END$$").arg(function),
                               QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW %4 EXECUTE FUNCTION %1()")
                                       .arg(function, event, table,
                                            when.isEmpty() ? QString() : QStringLiteral("WHEN (%1)").arg(when))},
                              QStringLiteral("DROP FUNCTION %1() CASCADE").arg(function)),
                 qPrintable(server->error()));
        return;
    }
    exec(QStringLiteral("CREATE TRIGGER refuse_%1_%2 BEFORE %1 ON %2 %3 BEGIN SELECT RAISE(ABORT, 'locked'); END")
                 .arg(event, table, when.isEmpty() ? QString() : QStringLiteral("WHEN ") + when));
}

namespace {
bool isView(const QString &name)
{
    const QString start = QStringLiteral("CREATE VIEW %1 ").arg(name);
    const QStringList statements = Schema::createStatements();
    return std::any_of(statements.begin(), statements.end(), [&](const QString &s) { return s.startsWith(start); });
}
} // namespace

void TestDataFolder::drop(const QString &name) const
{
    const QString kind = isView(name) ? QStringLiteral("VIEW") : QStringLiteral("TABLE");
    if (ServerRegister *server = ServerRegister::selected()) {
        QVERIFY2(server->exec({QStringLiteral("ALTER %1 %2 RENAME TO %2_gone").arg(kind, name)},
                              QStringLiteral("ALTER %1 IF EXISTS %2_gone RENAME TO %2").arg(kind, name)),
                 qPrintable(server->error()));
        return;
    }
    exec(QStringLiteral("DROP %1 %2").arg(kind, name));
}

void TestDataFolder::restore(const QString &name) const
{
    if (ServerRegister *server = ServerRegister::selected()) {
        const QString kind = isView(name) ? QStringLiteral("VIEW") : QStringLiteral("TABLE");
        QStringList statements{QStringLiteral("ALTER %1 %2_gone RENAME TO %2").arg(kind, name)};
        if (kind == QLatin1String("TABLE"))
            statements << QStringLiteral("TRUNCATE %1").arg(name);
        QVERIFY2(server->exec(statements), qPrintable(server->error()));
        return;
    }
    // The table with its indexes and its history's triggers, or the view.
    const QString word = QLatin1Char(' ') + name + QLatin1Char(' ');
    for (const QString &sql : Schema::createStatements()) {
        if (sql.contains(word) && sql.startsWith(QLatin1String("CREATE VIEW")) == isView(name))
            exec(sql);
    }
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
