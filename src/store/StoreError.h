#pragma once

#include <QString>

#include <exception>

// The one error the data store raises: a Japanese explanation for the user
// and, where the database engine spoke, the engine's own message.
class StoreError : public std::exception
{
public:
    // Conflict: the row was changed by another program since it was called
    // up, and nothing was written.
    enum class Kind { Failure, Conflict };

    explicit StoreError(QString explanation, QString engineMessage = QString(), Kind kind = Kind::Failure);

    Kind kind() const { return m_kind; }

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
    Kind m_kind = Kind::Failure;
};
