#pragma once

#include <QString>

#include <exception>

// The one error the data store raises: a Japanese explanation for the user
// and, where the database engine spoke, the engine's own message.
class StoreError : public std::exception
{
public:
    explicit StoreError(QString explanation, QString engineMessage = QString());

    const QString &explanation() const { return m_explanation; }
    const QString &engineMessage() const { return m_engineMessage; }

    // The engine refused a row because its code is taken.
    bool isUniqueViolation() const;

    // Explanation and engine message, as shown in a message box.
    QString text() const;

    const char *what() const noexcept override;

private:
    QString m_explanation;
    QString m_engineMessage;
    QByteArray m_what;
};
