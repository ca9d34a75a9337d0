#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QLockFile;

// Lets the programs that use one data folder see each other: every running
// QXRibodo holds a lock file of its own in the folder, and a restore holds
// one that every program looks for. The lock file of a program that ended
// without removing it is taken over and removed by whoever looks at it.
class RegisterLock
{
public:
    enum class Holder { Program, Restore };

    // Takes the lock; isLocked() tells whether it was given (not where the
    // folder cannot be written, nor a second restore).
    RegisterLock(const QString &dataFolder, Holder holder);
    ~RegisterLock();
    RegisterLock(const RegisterLock &) = delete;
    RegisterLock &operator=(const RegisterLock &) = delete;

    bool isLocked() const;
    QString path() const { return m_path; }

    // The lock files of the running programs in the data folder other than
    // `except` (the caller's own).
    static QStringList programs(const QString &dataFolder, const RegisterLock *except = nullptr);
    // A restore is running in the data folder.
    static bool restoring(const QString &dataFolder);

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_file;
};
