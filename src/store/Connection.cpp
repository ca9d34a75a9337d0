#include "Connection.h"

#include "HistoryFunctions.h"
#include "StoreError.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
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
StoreError failure(const QString &explanation, const QSqlError &error, const QString &detail = QString())
{
    const QString engine = detail.isEmpty() ? error.text() : error.text() + QLatin1Char('\n') + detail;
    const int code = error.nativeErrorCode().toInt() & 0xff;
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
    m_path = dataSourceOf(connectionText);
    // The SQLite driver would quietly create a missing file; a missing
    // database is an error here, and nothing is written to it.
    const QFileInfo info(m_path);
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

void Connection::close()
{
    if (m_name.isEmpty())
        return;
    if (m_inTransaction)
        m_db.rollback();
    m_inTransaction = false;
    m_readOnly = false;
    m_statements.clear();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
    m_name.clear();
}

void Connection::beginTrans()
{
    requireWritable();
    QSqlQuery begin(m_db);
    if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE")))
        throw failure(QStringLiteral("トランザクションを開始できません。"), begin.lastError());
    m_inTransaction = true;
}

void Connection::beginRead()
{
    QSqlQuery begin(m_db);
    if (!begin.exec(QStringLiteral("BEGIN")))
        throw failure(QStringLiteral("トランザクションを開始できません。"), begin.lastError());
    m_inTransaction = true;
}

void Connection::commitTrans()
{
    if (!m_db.commit())
        throw failure(QStringLiteral("変更を書き込めません。"), m_db.lastError());
    m_inTransaction = false;
}

void Connection::rollbackTrans()
{
    m_inTransaction = false;
    m_db.rollback();
}

QSqlQuery &Connection::exec(const QString &sql, const QVariantList &values)
{
    if (!m_db.isOpen())
        throw StoreError(QStringLiteral("データベースに接続していません。"));
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        if (!query.prepare(sql))
            throw failure(QStringLiteral("SQL 文を実行できません。"), query.lastError(), sql);
        it = m_statements.insert(sql, query);
    }
    QSqlQuery &query = it.value();
    query.finish();
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
    if (!query.exec())
        throw failure(QStringLiteral("データベースの操作に失敗しました。"), query.lastError());
    return query;
}
