#pragma once

#include "PgCluster.h"

#include <QString>
#include <QStringList>

#include <memory>

class ServerDatabase;
class TestDataFolder;

// The register on a throwaway PostgreSQL server for tests that run on both
// engines from one source: one cluster and one register per test program,
// made by server-init and filled by push from a new data folder, whose rows
// are kept aside as a seed. reset() puts them back before each test, which
// is much quicker than a new database per test.
class ServerRegister
{
public:
    ServerRegister();
    ~ServerRegister();
    ServerRegister(const ServerRegister &) = delete;
    ServerRegister &operator=(const ServerRegister &) = delete;

    // False with error() telling what went wrong.
    bool start();
    void stop();
    bool isStarted() const { return m_admin != nullptr; }
    QString error() const { return m_error; }

    // Every table's rows as the seed holds them, history included.
    bool reset();
    // Points the folder at the register (its database file removed), for
    // `user`.
    void use(const TestDataFolder &folder, const QString &user = PgCluster::superuser()) const;
    // Runs statements as the superuser on the register; `undo` runs at the
    // next reset.
    bool exec(const QStringList &statements, const QString &undo = QString());
    // Runs one statement (SQLite text) as another PC would: user keiri2 (a
    // 経理), change source 「他の端末」.
    bool execElsewhere(const QString &sql, const QVariantList &values);
    PgCluster &cluster() { return m_cluster; }

    // Running a test program's cases on both engines: initTestCase_data
    // calls addEngineRows() (global rows `sqlite` and `postgresql`), init()
    // calls selectEngine(). On the server row the cluster starts with the
    // first case, the register is reset, and every data folder made with a
    // database until the next selectEngine() is pointed at it.
    static void addEngineRows();
    bool selectEngine();
    // The register the case in progress runs on; null on SQLite.
    static ServerRegister *selected();

private:
    PgCluster m_cluster;
    std::unique_ptr<ServerDatabase> m_admin;
    QStringList m_undo;
    QString m_error;
};
