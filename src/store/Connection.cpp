#include "Connection.h"

#include "ChangeSource.h"
#include "HistoryFunctions.h"
#include "Schema.h"
#include "ServerConnectionText.h"
#include "ServerDatabase.h"
#include "ServerSchema.h"
#include "ServerSql.h"
#include "StoreError.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlRecord>
#include <QSqlDriver>
#include <QSqlError>
#include <QRegularExpression>
#include <QUrl>

#include <sqlite3.h>

namespace {

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("ribodo-%1").arg(counter.fetchAndAddRelaxed(1));
}

QString dataSourceOf(const QString &connectionText)
{
    const QString key = QStringLiteral("Data Source=");
    const qsizetype at = connectionText.indexOf(key, 0, Qt::CaseInsensitive);
    if (at < 0)
        return QString();
    QString source = connectionText.mid(at + key.size());
    const qsizetype end = source.indexOf(QLatin1Char(';'));
    if (end >= 0)
        source.truncate(end);
    return source;
}

const auto lockedMessage = QStringLiteral("データベースが他の処理で使用中のため、書き込めませんでした。"
                                         "しばらく待ってからやり直してください。");

// The engine's failure with a Japanese explanation: a lock that outlasted the
// wait and a read-only database get their own.
StoreError engineFailure(const QString &explanation, const QSqlError &error, const QString &detail = QString())
{
    const QString engine = detail.isEmpty() ? error.text() : error.text() + QLatin1Char('\n') + detail;
    const QString state = error.nativeErrorCode();
    // The server's SQLSTATE has five characters (no right to write, a lock
    // or deadlock); SQLite's extended codes have at most four digits.
    if (state.size() == 5) {
        if (state == QLatin1String("42501") || state == QLatin1String("25006"))
            return StoreError(Connection::readOnlyMessage(), engine);
        if (state == QLatin1String("55P03") || state == QLatin1String("40P01"))
            return StoreError(lockedMessage, engine);
        return StoreError(explanation, engine);
    }
    const int code = state.toInt() & 0xff;
    if (code == 5 || code == 6) // SQLITE_BUSY, SQLITE_LOCKED
        return StoreError(lockedMessage, engine);
    if (code == 8) // SQLITE_READONLY
        return StoreError(Connection::readOnlyMessage(), engine);
    return StoreError(explanation, engine);
}

} // namespace

Connection::Connection() = default;

bool Connection::isReadOnlyLocation(const QString &databasePath)
{
    const QFileInfo file(databasePath);
    return !file.isWritable() || !QFileInfo(file.absolutePath()).isWritable();
}

QString Connection::readOnlyMessage()
{
    return QStringLiteral("データ フォルダが読み取り専用のため、変更は書き込めません。"
                          "閲覧と印刷だけができます。");
}

void Connection::requireWritable() const
{
    if (m_readOnly)
        throw StoreError(readOnlyMessage(), m_path);
}

Connection::~Connection()
{
    close();
}

void Connection::open(const QString &connectionText)
{
    close();
    if (connectionText.contains(QLatin1String("Provider=PostgreSQL"), Qt::CaseInsensitive)) {
        openServer(ServerConnectionText::parse(connectionText));
        return;
    }
    m_path = dataSourceOf(connectionText);
    // The SQLite driver would quietly create a missing file; a missing
    // database is an error here, and nothing is written to it.
    const QFileInfo info(m_path);
    if (!m_path.isEmpty() && !info.exists() && ServerConnectionText::existsIn(info.absolutePath())) {
        openServer(ServerConnectionText::fromDataFolder(info.absolutePath()));
        return;
    }
    if (m_path.isEmpty() || !info.isFile())
        throw StoreError(QStringLiteral("データベース ファイルが見つかりません。"), m_path);

    m_name = nextConnectionName();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_readOnly = isReadOnlyLocation(m_path);
    if (m_readOnly) {
        // The write-ahead log needs a writable folder even to read. A log
        // left beside the file holds committed changes and is read where its
        // index file lets the engine; otherwise the file is read as it lies.
        const QString uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        bool withLog = QFileInfo(m_path + QStringLiteral("-wal")).size() > 0;
        if (withLog) {
            m_db.setDatabaseName(uri + QStringLiteral("?mode=ro"));
            if (m_db.open()) {
                QSqlQuery probe(m_db);
                withLog = probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
            }
            if (!withLog)
                m_db.close();
        }
        if (!withLog)
            m_db.setDatabaseName(uri + QStringLiteral("?immutable=1"));
    } else {
        m_db.setDatabaseName(m_path);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    }
    if (!m_db.isOpen() && !m_db.open()) {
        const QString reason = m_db.lastError().text();
        close();
        throw StoreError(QStringLiteral("データベースを開けません。"), m_path + QLatin1Char('\n') + reason);
    }
    const QVariant handle = m_db.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        sqlite3 *db = *static_cast<sqlite3 *const *>(handle.constData());
        HistoryFunctions::install(db);
        // A long write (the start-up update) adds about 1 KB of history per
        // note; with the engine's 2 MB default the pages spill to the log
        // and are read back before the commit. Taken only as pages are used.
        sqlite3_exec(db, "PRAGMA cache_size = -32768", nullptr, nullptr, nullptr);
    }
}

void Connection::openServer(const ServerConnectionText &server)
{
    m_server = std::make_unique<ServerDatabase>(server);
    m_db = m_server->database();
    try {
        readPrivileges();
    } catch (const StoreError &) {
        close();
        throw;
    }
}

void Connection::readPrivileges()
{
    // Amounts are exact numbers on the server: they come as their decimal
    // text, never through a double.
    m_db.setNumericalPrecisionPolicy(QSql::HighPrecision);
    QSqlQuery &q = run(QString(), QStringLiteral("SELECT has_table_privilege('sitetbl', 'INSERT, UPDATE, DELETE')"), {});
    m_readOnly = !(q.next() && q.value(0).toBool());
    q.finish();
}

void Connection::markLost()
{
    m_lost = true;
    // The session's settings went with it; its prepared statements are
    // dropped with its driver (see dropSession).
    m_sessionSource.clear();
    m_transactionSource.clear();
}

// The driver goes before the statements prepared on it, so that they are
// not freed one by one on a session that is gone or about to go.
void Connection::dropSession(std::unique_ptr<ServerDatabase> next)
{
    m_db = next ? next->database() : QSqlDatabase();
    m_server = std::move(next);
    m_statements.clear();
}

void Connection::ensureSession()
{
    if (!m_server)
        return;
    // A reader of this connection may have met the broken connection first.
    if (!m_lost && m_server->isLost())
        markLost();
    if (!m_lost)
        return;
    // The rest of a transaction must not run on a new session, outside it.
    if (m_inTransaction)
        throw StoreError(m_server->lostMessage());
    // Nothing changes until the server answers: a failed attempt is made
    // again at the next statement.
    dropSession(std::make_unique<ServerDatabase>(m_server->server()));
    m_lost = false;
    readPrivileges();
}

StoreError Connection::failure(const QString &explanation, const QSqlError &error, const QString &detail)
{
    if (m_server && m_server->isLost(error)) {
        markLost();
        const QString engine = detail.isEmpty() ? error.text() : error.text() + QLatin1Char('\n') + detail;
        return StoreError(m_server->lostMessage(), engine);
    }
    return engineFailure(explanation, error, detail);
}

QSqlDatabase &Connection::database()
{
    ensureSession();
    return m_db;
}

void Connection::close()
{
    if (m_name.isEmpty() && !m_server)
        return;
    if (m_inTransaction && !m_lost)
        m_db.rollback();
    m_inTransaction = false;
    m_readOnly = false;
    m_lost = false;
    m_translated.clear();
    m_sessionSource.clear();
    m_transactionSource.clear();
    if (m_server) {
        dropSession(nullptr);
        return;
    }
    m_statements.clear();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
    m_name.clear();
}

void Connection::beginTrans()
{
    requireWritable();
    if (m_server) {
        ensureSession();
        if (!m_db.transaction())
            throw failure(QStringLiteral("トランザクションを開始できません。"), m_db.lastError());
        m_inTransaction = true;
        try {
            sendSource();
        } catch (const StoreError &) {
            rollbackTrans();
            throw;
        }
        return;
    }
    QSqlQuery begin(m_db);
    if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE")))
        throw failure(QStringLiteral("トランザクションを開始できません。"), begin.lastError());
    m_inTransaction = true;
}

void Connection::beginRead()
{
    ensureSession();
    QSqlQuery begin(m_db);
    // The server's default gives each statement its own snapshot.
    if (!begin.exec(m_server ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY") : QStringLiteral("BEGIN")))
        throw failure(QStringLiteral("トランザクションを開始できません。"), begin.lastError());
    m_inTransaction = true;
}

void Connection::commitTrans()
{
    if (m_server && !m_lost && m_server->isLost())
        markLost();
    if (m_lost) {
        // The server rolled the transaction back when the session ended.
        rollbackTrans();
        throw StoreError(m_server->lostMessage());
    }
    if (!m_db.commit()) {
        const QSqlError error = m_db.lastError();
        if (m_server && m_server->isLost(error)) {
            markLost();
            rollbackTrans();
            throw StoreError(m_server->lostMessage(true), error.text());
        }
        throw engineFailure(QStringLiteral("変更を書き込めません。"), error);
    }
    m_inTransaction = false;
    m_transactionSource.clear();
}

void Connection::rollbackTrans()
{
    m_inTransaction = false;
    m_transactionSource.clear();
    // A lost session took its transaction with it.
    if (!m_lost)
        m_db.rollback();
}

// The server's history reads where a change comes from in the setting
// ribodo.source: for the transaction inside one, else for the session. Sent
// only when it changed.
void Connection::sendSource()
{
    const QString source = ChangeSource::current();
    QString &sent = m_inTransaction ? m_transactionSource : m_sessionSource;
    if (!sent.isNull() && sent == source)
        return;
    run(QString(), m_inTransaction ? QStringLiteral("SELECT set_config('ribodo.source', ?, true)")
                                   : QStringLiteral("SELECT set_config('ribodo.source', ?, false)"),
        {source}).finish();
    sent = source;
}

QString Connection::statement(const QString &sql)
{
    if (!m_server)
        return sql;
    auto it = m_translated.constFind(sql);
    if (it == m_translated.constEnd()) {
        // A list a report works out is a temporary table, whose columns
        // take the register's types.
        static const QRegularExpression temporary(QStringLiteral(R"(^\s*CREATE\s+TEMP(ORARY)?\s+TABLE\b)"),
                                                  QRegularExpression::CaseInsensitiveOption);
        it = m_translated.insert(sql, temporary.match(sql).hasMatch() ? ServerSchema::translate(sql).constFirst()
                                                                      : ServerSql::fromSqlite(sql));
    }
    return it.value();
}

bool Connection::isTable(const QString &name)
{
    QSqlQuery &q = m_server
            ? run(QString(), QStringLiteral("SELECT CASE WHEN c.relkind = 'v' THEN 'view' ELSE 'table' END FROM pg_class c "
                                            "JOIN pg_namespace n ON n.oid = c.relnamespace "
                                            "WHERE pg_table_is_visible(c.oid) AND c.relname = lower(?) "
                                            "AND c.relkind IN ('r', 'p', 'v')"),
                  {name})
            : exec(QStringLiteral("SELECT type FROM sqlite_temp_master WHERE type = 'table' AND name = ? COLLATE NOCASE "
                                  "UNION ALL SELECT type FROM sqlite_master WHERE name = ? COLLATE NOCASE "
                                  "AND type IN ('table', 'view')"),
                   {name, name});
    if (!q.next())
        throw StoreError(QStringLiteral("テーブルまたはクエリが見つかりません。"), name);
    const bool table = q.value(0).toString() == QLatin1String("table");
    q.finish();
    return table;
}

QStringList Connection::columns(const QString &table)
{
    // The server folds the unquoted names it was made with to lower case.
    const QSqlRecord record = database().record(m_server ? table.toLower() : table);
    QStringList names;
    for (int i = 0; i < record.count(); ++i) {
        if (!m_server)
            names << record.fieldName(i);
        else if (record.fieldName(i) != ServerSql::rowIdColumn() && record.fieldName(i) != ServerSchema::workUserColumn())
            names << ServerSchema::spelling(record.fieldName(i));
    }
    return names;
}

QSqlQuery &Connection::exec(const QString &sql, const QVariantList &values)
{
    static const QRegularExpression write(QStringLiteral(R"(^\s*(?:INSERT\s+INTO|UPDATE|DELETE\s+FROM)\s+"?(\w+))"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = m_server ? write.match(sql) : QRegularExpressionMatch();
    if (!m.hasMatch())
        return run(sql, QString(), values);
    sendSource();
    QSqlQuery &q = run(sql, QString(), values);
    // The server's triggers write a history row for each row changed; they
    // count as this program's, as the rows SQLite's functions write do.
    static const QStringList recorded = Schema::historyTables();
    if (recorded.contains(m.captured(1), Qt::CaseInsensitive))
        HistoryFunctions::addRowsWritten(q.numRowsAffected());
    return q;
}

// Runs a statement prepared once per key; an empty key is the text itself,
// already in the engine's form; an empty text is the key's translation.
QSqlQuery &Connection::run(const QString &key, const QString &engineSql, const QVariantList &values)
{
    if (!isOpen())
        throw StoreError(QStringLiteral("データベースに接続していません。"));
    ensureSession();
    const QString &name = key.isEmpty() ? engineSql : key;
    if (m_server) {
        // The server prepares no definitions and no transaction's bounds:
        // they run as they are.
        static const QRegularExpression definition(QStringLiteral(R"(^\s*(CREATE|DROP|ALTER|BEGIN|COMMIT|ROLLBACK)\b)"),
                                                   QRegularExpression::CaseInsensitiveOption);
        if (definition.match(name).hasMatch()) {
            QSqlQuery &query = m_statements[name];
            query = QSqlQuery(m_db);
            const QString sql = engineSql.isEmpty() ? statement(key) : engineSql;
            if (!query.exec(sql))
                throw failure(QStringLiteral("データベースの操作に失敗しました。"), query.lastError(), sql);
            return query;
        }
    }
    auto it = m_statements.find(name);
    if (it == m_statements.end()) {
        const QString sql = engineSql.isEmpty() ? statement(key) : engineSql;
        // On the server a statement is one round trip past the driver, its
        // rows taken whole (the driver would drop the rest of a forward-only
        // result when another statement runs on the connection).
        QSqlQuery query = m_server ? m_server->directQuery() : QSqlQuery(m_db);
        query.setForwardOnly(!m_server);
        if (!query.prepare(sql))
            throw failure(QStringLiteral("SQL 文を実行できません。"), query.lastError(), sql);
        it = m_statements.insert(name, query);
    }
    QSqlQuery &query = it.value();
    query.finish();
    for (int i = 0; i < values.size(); ++i) {
        // The register keeps yes/no as 0 and 1, which the server does not
        // take from a boolean.
        const QVariant &v = values.at(i);
        query.bindValue(i, m_server && v.typeId() == QMetaType::Bool ? QVariant(int(v.toBool())) : v);
    }
    if (!query.exec())
        throw failure(QStringLiteral("データベースの操作に失敗しました。"), query.lastError());
    return query;
}
