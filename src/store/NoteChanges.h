#pragma once

#include <QString>

#include <memory>

class Connection;
class QSqlDriver;

// Whether another program (another PC on the same register) changed notes
// since a window filled its list: the change history's rows after the mark,
// less those this program wrote itself. A check that cannot read the history
// answers no; it never stops the window.
class NoteChanges
{
public:
    explicit NoteChanges(QString dataFolder);
    ~NoteChanges();
    NoteChanges(const NoteChanges &) = delete;
    NoteChanges &operator=(const NoteChanges &) = delete;

    // The list was filled now.
    void mark();
    bool changedElsewhere();
    // On a server register, the driver of this check's session, listening
    // for the notes' notification (ServerSchema::notesChannel), so that a
    // change elsewhere can be looked at as soon as it is committed. Null on
    // SQLite or while the server cannot be reached; a new session, after a
    // lost one, gives a new driver.
    QSqlDriver *notifier();

private:
    bool open();

    QString m_dataFolder;
    std::unique_ptr<Connection> m_connection;
    qint64 m_head = -1;
    qint64 m_own = 0;
};
