#include "SavedFile.h"

#include "store/StoreError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <filesystem>
#include <system_error>

SavedFile::SavedFile(const QString &destination)
    : m_destination(destination)
{
    const QFileInfo info(destination);
    // Beside the destination, so that the rename stays on one volume; made
    // with NewOnly, so that no other save can be given the same name.
    QString lastError;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString candidate = info.dir().filePath(
                QStringLiteral(".~%1.%2-%3.part")
                        .arg(info.fileName())
                        .arg(QCoreApplication::applicationPid())
                        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        QFile file(candidate);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            m_temporary = candidate;
            return;
        }
        lastError = file.errorString();
        if (!QFile::exists(candidate))
            break;
    }
    throw StoreError(failureText(destination), lastError);
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
