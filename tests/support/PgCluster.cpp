#include "PgCluster.h"

#include "store/ServerConnectionText.h"
#include "store/ServerDatabase.h"
#include "store/StoreError.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <pwd.h>
#include <unistd.h>

namespace {

// The newest server's programs; Debian keeps each major version apart.
QString serverBinaries()
{
    QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(versions.begin(), versions.end(), numeric);
    for (auto it = versions.crbegin(); it != versions.crend(); ++it) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*it);
        if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable())
            return bin;
    }
    QProcess config;
    config.start(QStringLiteral("pg_config"), {QStringLiteral("--bindir")});
    if (config.waitForFinished() && config.exitCode() == 0) {
        const QString bin = QString::fromLocal8Bit(config.readAllStandardOutput()).trimmed();
        if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable())
            return bin;
    }
    return QString();
}

// initdb refuses to run as root; the cluster then belongs to postgres.
bool asRoot()
{
    return geteuid() == 0;
}

bool chownFolder(const QString &path, uid_t uid, gid_t gid)
{
    return ::chown(QFile::encodeName(path).constData(), uid, gid) == 0;
}

} // namespace

PgCluster::PgCluster() = default;

PgCluster::~PgCluster()
{
    stop();
}

QString PgCluster::superuser()
{
    return QStringLiteral("postgres");
}

bool PgCluster::run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (asRoot())
        p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), superuser(), QStringLiteral("--"),
                                                       m_bin + QLatin1Char('/') + program}
                                                   + arguments);
    else
        p.start(m_bin + QLatin1Char('/') + program, arguments);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        m_error = program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(p.readAll());
        return false;
    }
    return true;
}

bool PgCluster::start()
{
    m_bin = serverBinaries();
    if (m_bin.isEmpty()) {
        m_error = QStringLiteral("The PostgreSQL server is not installed: run scripts/install-deps.sh");
        return false;
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        m_error = QStringLiteral("Qt's PostgreSQL driver is not installed: run scripts/install-deps.sh");
        return false;
    }
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("No temporary folder for the cluster");
        return false;
    }
    if (asRoot()) {
        const passwd *pw = getpwnam("postgres");
        if (!pw || !chownFolder(m_dir.path(), pw->pw_uid, pw->pw_gid)) {
            m_error = QStringLiteral("Cannot hand the cluster folder to the user postgres");
            return false;
        }
    }
    const QString data = m_dir.filePath(QStringLiteral("data"));
    if (!run(QStringLiteral("initdb"), {QStringLiteral("-D"), data, QStringLiteral("-A"), QStringLiteral("trust"),
                                        QStringLiteral("-U"), superuser(), QStringLiteral("-E"), QStringLiteral("UTF8"),
                                        QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync")}))
        return false;
    // No TCP port, only the socket in the cluster's folder; durability does
    // not matter for a cluster thrown away after the run.
    QFile conf(data + QStringLiteral("/postgresql.conf"));
    if (!conf.open(QIODevice::Append)) {
        m_error = conf.errorString();
        return false;
    }
    conf.write("\nlisten_addresses = ''\nunix_socket_directories = '" + QFile::encodeName(m_dir.path())
               + "'\nfsync = off\nsynchronous_commit = off\nfull_page_writes = off\n");
    conf.close();
    if (!run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), data, QStringLiteral("-l"),
                                        m_dir.filePath(QStringLiteral("server.log")), QStringLiteral("-w"),
                                        QStringLiteral("start")}))
        return false;
    m_running = true;
    return true;
}

void PgCluster::stop()
{
    if (!m_running)
        return;
    m_running = false;
    run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
                                   QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
}

QString PgCluster::connectionText(const QString &database, const QString &user) const
{
    return QStringLiteral("Provider=PostgreSQL;Host=%1;Port=5432;Database=%2;User=%3").arg(socketFolder(), database, user);
}

QString PgCluster::newDatabase(const QString &user)
{
    const QString name = QStringLiteral("ribodo_%1").arg(++m_databases);
    if (!exec({QStringLiteral("CREATE DATABASE ") + name}))
        return QString();
    return connectionText(name, user);
}

bool PgCluster::exec(const QStringList &statements, const QString &database)
{
    try {
        ServerDatabase db(ServerConnectionText::parse(connectionText(database)));
        for (const QString &statement : statements)
            db.exec(statement).finish();
    } catch (const StoreError &e) {
        m_error = e.text();
        return false;
    }
    return true;
}
