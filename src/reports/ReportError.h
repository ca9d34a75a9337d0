#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// Why a report could not be made: the file concerned (a report definition,
// the database or an output file) and the reason, in Japanese.
class ReportError : public std::exception
{
public:
    // `details`: the database engine's own words, if it spoke.
    ReportError(QString file, QString reason, QString details = QString());

    const QString &file() const { return m_file; }
    const QString &reason() const { return m_reason; }
    const QString &details() const { return m_details; }

    // File and reason as shown in the warning box.
    QString text() const;

    const char *what() const noexcept override;

private:
    QString m_file;
    QString m_reason;
    QString m_details;
    QByteArray m_what;
};
