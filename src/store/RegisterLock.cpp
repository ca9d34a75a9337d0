#include "RegisterLock.h"

#include "Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>

namespace {

const QString programPrefix = QStringLiteral(".~dbRibodo.sqlite.program-");
const QString lockSuffix = QStringLiteral(".lock");

QString folderOf(const QString &dataFolder)
{
    return QFileInfo(Schema::databasePath(dataFolder)).absolutePath();
}

QString restoreLockPath(const QString &dataFolder)
{
    return QDir(folderOf(dataFolder)).filePath(QStringLiteral(".~dbRibodo.sqlite.restore") + lockSuffix);
}

// True while a running program holds the lock file; one left by a program
// that has ended is removed on the way.
bool held(const QString &path)
{
    QLockFile probe(path);
    // Only a holder that has ended makes a lock stale, never its age: a
    // register stays open all day.
    probe.setStaleLockTime(0);
    if (probe.tryLock(0)) {
        probe.unlock();
        return false;
    }
    return probe.error() == QLockFile::LockFailedError;
}

} // namespace

RegisterLock::RegisterLock(const QString &dataFolder, Holder holder)
{
    if (holder == Holder::Restore) {
        m_path = restoreLockPath(dataFolder);
    } else {
        m_path = QDir(folderOf(dataFolder))
                         .filePath(programPrefix
                                   + QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16,
                                                              QLatin1Char('0'))
                                   + lockSuffix);
    }
    m_file = std::make_unique<QLockFile>(m_path);
    m_file->setStaleLockTime(0);
    if (!m_file->tryLock(0))
        m_file.reset();
}

RegisterLock::~RegisterLock() = default;

bool RegisterLock::isLocked() const
{
    return m_file != nullptr;
}

QStringList RegisterLock::programs(const QString &dataFolder, const RegisterLock *except)
{
    const QDir dir(folderOf(dataFolder));
    QStringList running;
    const QStringList names = dir.entryList({programPrefix + QLatin1Char('*') + lockSuffix}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        if ((!except || path != except->path()) && held(path))
            running << QDir::toNativeSeparators(path);
    }
    return running;
}

bool RegisterLock::restoring(const QString &dataFolder)
{
    const QString path = restoreLockPath(dataFolder);
    return QFileInfo::exists(path) && held(path);
}
