#include "RawLibpq.h"

#include "store/ServerConnectionText.h"

#include <QString>

#include <libpq-fe.h>

#include <stdexcept>
#include <vector>

RawLibpq::RawLibpq(const ServerConnectionText &server)
{
    const QByteArray info = QStringLiteral("host='%1' port=%2 dbname='%3' user='%4'")
                                    .arg(server.host())
                                    .arg(server.port())
                                    .arg(server.database(), server.user())
                                    .toUtf8();
    m_pg = PQconnectdb(info.constData());
    if (PQstatus(m_pg) != CONNECTION_OK) {
        const std::string message = PQerrorMessage(m_pg);
        PQfinish(m_pg);
        throw std::runtime_error(message);
    }
}

RawLibpq::~RawLibpq()
{
    PQfinish(m_pg);
}

void RawLibpq::run(const char *sql, std::initializer_list<QByteArray> params)
{
    if (params.size() == 0) {
        // Without values one text may hold several statements, as a
        // definition's does.
        PGresult *r = PQexec(m_pg, sql);
        const ExecStatusType status = PQresultStatus(r);
        PQclear(r);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            throw std::runtime_error(PQerrorMessage(m_pg));
        return;
    }
    std::vector<const char *> values;
    for (const QByteArray &p : params)
        values.push_back(p.constData());
    PGresult *r = PQexecParams(m_pg, sql, int(values.size()), nullptr, values.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(r);
    PQclear(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw std::runtime_error(PQerrorMessage(m_pg));
}

qint64 RawLibpq::read(const QByteArray &sql)
{
    PGresult *r = PQexec(m_pg, sql.constData());
    if (PQresultStatus(r) != PGRES_TUPLES_OK) {
        PQclear(r);
        throw std::runtime_error(PQerrorMessage(m_pg));
    }
    const int rows = PQntuples(r);
    const int columns = PQnfields(r);
    // Every value is looked at, so that the reading is not skipped.
    qint64 seen = 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column)
            seen += PQgetisnull(r, row, column) ? 0 : PQgetlength(r, row, column) + *PQgetvalue(r, row, column);
    }
    PQclear(r);
    return seen >= 0 ? rows : -rows;
}
