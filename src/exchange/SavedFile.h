#pragma once

#include <QString>

// A file written under a temporary name beside its destination and put in
// place only once complete, so that a failure never leaves a half-written
// file under the chosen name. Each save has a temporary name of its own,
// `.~<name>.<process id>-<8 hex digits>.part`, so that two saves to one name
// at once never write into each other's file: the last one put in place
// wins. The temporary file is removed when the write is not committed.
class SavedFile
{
public:
    // Raises StoreError when no temporary file can be made beside the
    // destination.
    explicit SavedFile(const QString &destination);
    ~SavedFile();
    SavedFile(const SavedFile &) = delete;
    SavedFile &operator=(const SavedFile &) = delete;

    // An empty file of this save's own, made when the save began.
    QString temporaryPath() const { return m_temporary; }
    QString destination() const { return m_destination; }
    // Replaces the destination with the temporary file; raises StoreError.
    void commit();

    // "ファイル「name」を保存できません。"
    static QString failureText(const QString &destination);

private:
    QString m_destination;
    QString m_temporary;
    bool m_committed = false;
};
