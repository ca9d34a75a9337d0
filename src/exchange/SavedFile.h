#pragma once

#include <QString>

// A file written under a temporary name beside its destination and put in
// place only once complete, so that a failure never leaves a half-written
// file under the chosen name. The temporary file is removed when the write
// is not committed.
class SavedFile
{
public:
    explicit SavedFile(const QString &destination);
    ~SavedFile();
    SavedFile(const SavedFile &) = delete;
    SavedFile &operator=(const SavedFile &) = delete;

    QString temporaryPath() const { return m_temporary; }
    // Replaces the destination with the temporary file; raises StoreError.
    void commit();

    // "ファイル「name」を保存できません。"
    static QString failureText(const QString &destination);

private:
    QString m_destination;
    QString m_temporary;
    bool m_committed = false;
};
