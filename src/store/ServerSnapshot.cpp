#include "ServerSnapshot.h"

#include "ServerDatabase.h"
#include "StoreError.h"

#include <QSqlQuery>

ServerSnapshot::ServerSnapshot(ServerDatabase &server)
    : m_server(server)
{
    if (!server.database().transaction())
        throw StoreError(QStringLiteral("サーバーのデータベースを読み書きできません。"));
    try {
        server.exec(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY")).finish();
    } catch (const StoreError &) {
        server.database().rollback();
        throw;
    }
}

ServerSnapshot::~ServerSnapshot()
{
    m_server.database().rollback();
}
