#include "ServerRegister.h"

#include "TestDataFolder.h"

#include "store/ServerConnectionText.h"
#include "store/ServerDatabase.h"
#include "store/ServerPush.h"
#include "store/ServerSchema.h"
#include "store/ServerSql.h"
#include "store/StoreError.h"

#include <QSqlQuery>
#include <QtTest>

namespace {
ServerRegister *s_selected = nullptr;
}

ServerRegister::ServerRegister() = default;

ServerRegister::~ServerRegister()
{
    if (s_selected == this)
        s_selected = nullptr;
    stop();
}

bool ServerRegister::start()
{
    if (!m_cluster.start()) {
        m_error = m_cluster.error();
        return false;
    }
    try {
        m_admin = std::make_unique<ServerDatabase>(ServerConnectionText::parse(m_cluster.newDatabase()));
        ServerSchema::create(*m_admin);
        m_admin->exec(QStringLiteral("DO $$BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'keiri2') THEN "
                                     "CREATE ROLE keiri2 LOGIN; END IF; END$$"))
                .finish();
        m_admin->exec(QStringLiteral("GRANT \"%1\" TO keiri2").arg(ServerSchema::writerRole())).finish();
        m_admin->exec(QStringLiteral("SET client_min_messages = warning")).finish();
        const TestDataFolder filled;
        ServerPush::push(filled.path(), *m_admin);
        m_admin->exec(QStringLiteral("CREATE SCHEMA seed")).finish();
        for (const QString &table : ServerSchema::tables())
            m_admin->exec(QStringLiteral("CREATE TABLE seed.%1 AS SELECT * FROM %1").arg(table)).finish();
    } catch (const StoreError &e) {
        m_error = e.text();
        m_admin.reset();
        return false;
    }
    return true;
}

void ServerRegister::stop()
{
    m_admin.reset();
    m_cluster.stop();
}

// Triggers off (the history's guards and recorders) for the superuser's
// session only. Row identities go on rising, so stored order stays that of
// the seed and then of the test.
bool ServerRegister::reset()
{
    const QStringList tables = ServerSchema::tables();
    try {
        for (const QString &undo : std::exchange(m_undo, {}))
            m_admin->exec(undo).finish();
        m_admin->exec(QStringLiteral("SET session_replication_role = replica")).finish();
        m_admin->exec(QStringLiteral("TRUNCATE ") + tables.join(QStringLiteral(", "))).finish();
        for (const QString &table : tables)
            m_admin->exec(QStringLiteral("INSERT INTO %1 OVERRIDING SYSTEM VALUE SELECT * FROM seed.%1").arg(table)).finish();
        m_admin->exec(QStringLiteral("RESET session_replication_role")).finish();
    } catch (const StoreError &e) {
        m_error = e.text();
        return false;
    }
    return true;
}

bool ServerRegister::execElsewhere(const QString &sql, const QVariantList &values)
{
    try {
        ServerDatabase other(ServerConnectionText::parse(
                m_cluster.connectionText(m_admin->server().database(), QStringLiteral("keiri2"))));
        other.exec(QStringLiteral("SET ribodo.source = '他の端末'")).finish();
        other.exec(ServerSql::fromSqlite(sql), values).finish();
    } catch (const StoreError &e) {
        m_error = e.text();
        return false;
    }
    return true;
}

void ServerRegister::use(const TestDataFolder &folder, const QString &user) const
{
    folder.useServer(m_cluster.connectionText(m_admin->server().database(), user));
}

bool ServerRegister::exec(const QStringList &statements, const QString &undo)
{
    if (!undo.isEmpty())
        m_undo << undo;
    try {
        for (const QString &statement : statements)
            m_admin->exec(statement).finish();
    } catch (const StoreError &e) {
        m_error = e.text();
        return false;
    }
    return true;
}

void ServerRegister::addEngineRows()
{
    QTest::addColumn<bool>("server");
    QTest::newRow("sqlite") << false;
    QTest::newRow("postgresql") << true;
}

bool ServerRegister::selectEngine()
{
    QFETCH_GLOBAL(bool, server);
    s_selected = nullptr;
    if (!server)
        return true;
    if (!isStarted() && !start())
        return false;
    if (!reset())
        return false;
    s_selected = this;
    return true;
}

ServerRegister *ServerRegister::selected()
{
    return s_selected;
}
