#include "ReportError.h"

ReportError::ReportError(QString file, QString reason, QString details)
    : m_file(std::move(file))
    , m_reason(std::move(reason))
    , m_details(std::move(details))
    , m_what(text().toUtf8())
{
}

QString ReportError::text() const
{
    return QStringLiteral("レポートを作成できません。\nファイル: %1\n理由: %2").arg(m_file, m_reason);
}

const char *ReportError::what() const noexcept
{
    return m_what.constData();
}
