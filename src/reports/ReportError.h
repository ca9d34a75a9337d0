#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// Why a report could not be made: the file concerned (a report definition,
// the database or an output file) and the reason, in Japanese.
class ReportError : public std::exception
{
public:
    ReportError(QString file, QString reason);

    const QString &file() const { return m_file; }
    const QString &reason() const { return m_reason; }

    // File and reason as shown in the warning box.
    QString text() const;

    const char *what() const noexcept override;

private:
    QString m_file;
    QString m_reason;
    QByteArray m_what;
};
