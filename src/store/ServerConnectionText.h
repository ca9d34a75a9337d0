#pragma once

#include <QString>

// Where the office edition's register lives: a PostgreSQL server named by a
// connection text such as
//   Provider=PostgreSQL;Host=srv01;Port=5432;Database=ribodo;User=keiri1
// Keys compare without regard to case; Host may be the folder of the
// server's socket. A password is never taken: libpq's password file or the
// server's own login supplies it.
class ServerConnectionText
{
public:
    // The file in a data folder that holds the text, on one line.
    static QString fileName();

    // Raises StoreError (in Japanese) when the text is not a valid one.
    static ServerConnectionText parse(const QString &text);
    // The text in `dataFolder`'s file; raises StoreError when the file is
    // missing, unreadable or not valid.
    static ServerConnectionText fromDataFolder(const QString &dataFolder);
    static bool existsIn(const QString &dataFolder);

    QString host() const { return m_host; }
    int port() const { return m_port; }
    QString database() const { return m_database; }
    // Empty: libpq's default, the operating-system user.
    QString user() const { return m_user; }

    // The text in its usual spelling.
    QString text() const;
    // "srv01 (ポート 5432)", for messages.
    QString serverName() const;

private:
    QString m_host;
    int m_port = 5432;
    QString m_database;
    QString m_user;
};
