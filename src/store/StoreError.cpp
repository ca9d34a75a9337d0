#include "StoreError.h"

StoreError::StoreError(QString explanation, QString engineMessage, Kind kind)
    : m_explanation(std::move(explanation))
    , m_engineMessage(std::move(engineMessage))
    , m_what(text().toUtf8())
    , m_kind(kind)
{
}

QString StoreError::text() const
{
    if (m_engineMessage.isEmpty())
        return m_explanation;
    return m_explanation + QLatin1Char('\n') + m_engineMessage;
}

const char *StoreError::what() const noexcept
{
    return m_what.constData();
}

bool StoreError::isUniqueViolation() const
{
    return m_engineMessage.contains(QLatin1String("UNIQUE"), Qt::CaseInsensitive);
}
