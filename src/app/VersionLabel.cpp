#include "VersionLabel.h"

QString VersionLabel::text(int major, int minor, int revision)
{
    return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

QString VersionLabel::current()
{
    return text(RIBODO_VERSION_MAJOR, RIBODO_VERSION_MINOR, RIBODO_VERSION_PATCH);
}
