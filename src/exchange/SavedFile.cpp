#include "SavedFile.h"

#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

SavedFile::SavedFile(const QString &destination)
    : m_destination(destination)
{
    const QFileInfo info(destination);
    // Beside the destination, so that the rename stays on one volume.
    m_temporary = info.dir().filePath(QStringLiteral(".~") + info.fileName() + QStringLiteral(".part"));
    QFile::remove(m_temporary);
}

SavedFile::~SavedFile()
{
    if (!m_committed)
        QFile::remove(m_temporary);
}

QString SavedFile::failureText(const QString &destination)
{
    return QStringLiteral("ファイル「%1」を保存できません。").arg(QDir::toNativeSeparators(destination));
}

void SavedFile::commit()
{
    // std::filesystem::rename replaces an existing destination in one step
    // on every platform (MoveFileEx with replacement on Windows).
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(m_temporary.toStdU16String()),
                            std::filesystem::path(m_destination.toStdU16String()), error);
    if (error)
        throw StoreError(failureText(m_destination), QString::fromLocal8Bit(error.message()));
    m_committed = true;
}
