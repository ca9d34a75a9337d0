#include "TemporaryFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

QStringList TemporaryFiles::removeStale(const QString &folder)
{
    static const QRegularExpression temporary(
            QStringLiteral(R"(^(.+\.[0-9a-f]{8}\.new(-wal|-shm|-journal)?|\.~.+\.part)$)"));
    const QDir dir(folder);
    QStringList removed;
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (temporary.match(name).hasMatch() && QFile::remove(dir.filePath(name)))
            removed << name;
    }
    return removed;
}
