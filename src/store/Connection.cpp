#include "Connection.h"

#include "StoreError.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>

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

} // namespace

Connection::Connection() = default;

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
    m_db.setDatabaseName(m_path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!m_db.open()) {
        const QString reason = m_db.lastError().text();
        close();
        throw StoreError(QStringLiteral("データベースを開けません。"), m_path + QLatin1Char('\n') + reason);
    }
}

void Connection::close()
{
    if (m_name.isEmpty())
        return;
    if (m_inTransaction)
        m_db.rollback();
    m_inTransaction = false;
    m_statements.clear();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
    m_name.clear();
}

void Connection::beginTrans()
{
    if (!m_db.transaction())
        throw StoreError(QStringLiteral("トランザクションを開始できません。"), m_db.lastError().text());
    m_inTransaction = true;
}

void Connection::commitTrans()
{
    if (!m_db.commit())
        throw StoreError(QStringLiteral("変更を書き込めません。"), m_db.lastError().text());
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
            throw StoreError(QStringLiteral("SQL 文を実行できません。"), query.lastError().text() + QLatin1Char('\n') + sql);
        it = m_statements.insert(sql, query);
    }
    QSqlQuery &query = it.value();
    query.finish();
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
    if (!query.exec())
        throw StoreError(QStringLiteral("データベースの操作に失敗しました。"), query.lastError().text());
    return query;
}
