#include "ChangeSource.h"

#include <QCoreApplication>

namespace {

// Set once at start-up and by scopes on the thread that writes; history rows
// are written on that thread only.
ChangeSource::Provider &provider()
{
    static ChangeSource::Provider installed;
    return installed;
}

QString &scoped()
{
    static QString name;
    return name;
}

} // namespace

void ChangeSource::install(Provider provider)
{
    ::provider() = std::move(provider);
}

QString ChangeSource::current()
{
    if (!scoped().isEmpty())
        return scoped();
    if (provider()) {
        const QString name = provider()();
        if (!name.isEmpty())
            return name;
    }
    return QCoreApplication::applicationName();
}

ChangeSource::Scope::Scope(const QString &name)
    : m_outer(scoped())
{
    scoped() = name;
}

ChangeSource::Scope::~Scope()
{
    scoped() = m_outer;
}
