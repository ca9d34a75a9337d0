#pragma once

#include <QByteArray>

#include <initializer_list>

class ServerConnectionText;
struct pg_conn;
typedef struct pg_conn PGconn;

// The baseline of the office section: libpq with nothing between it and the
// server, over the same socket as the program. Raises std::runtime_error.
class RawLibpq
{
public:
    explicit RawLibpq(const ServerConnectionText &server);
    ~RawLibpq();
    RawLibpq(const RawLibpq &) = delete;
    RawLibpq &operator=(const RawLibpq &) = delete;

    // Runs one statement with text parameters; without parameters the text
    // may hold several.
    void run(const char *sql, std::initializer_list<QByteArray> params = {});
    // Runs one statement and reads every value of every row as text (its
    // bytes and whether it is null); the number of rows.
    qint64 read(const QByteArray &sql);

    PGconn *handle() const { return m_pg; }

private:
    PGconn *m_pg = nullptr;
};
