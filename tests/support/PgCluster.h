#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A throwaway PostgreSQL cluster in a temporary folder, for the tests of the
// office edition: trust login, reachable only through a Unix socket in that
// folder. One per test program: start it in initTestCase, stop it in
// cleanupTestCase (the destructor stops it as well).
class PgCluster
{
public:
    PgCluster();
    ~PgCluster();
    PgCluster(const PgCluster &) = delete;
    PgCluster &operator=(const PgCluster &) = delete;

    // False with error() telling what is missing or went wrong.
    bool start();
    void stop();
    QString error() const { return m_error; }

    // The folder of the server's socket, which a connection text names as
    // its host.
    QString socketFolder() const { return m_dir.path(); }
    // The cluster's superuser.
    static QString superuser();

    // A new, empty database, by its connection text for `user`.
    QString newDatabase(const QString &user = superuser());
    QString connectionText(const QString &database, const QString &user = superuser()) const;

    // Runs statements as the superuser on `database`; false with error().
    bool exec(const QStringList &statements, const QString &database = QStringLiteral("postgres"));

private:
    bool run(const QString &program, const QStringList &arguments);

    QTemporaryDir m_dir;
    QString m_bin;
    QString m_error;
    bool m_running = false;
    int m_databases = 0;
};
