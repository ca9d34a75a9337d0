#include "NoteChanges.h"

#include "Connection.h"
#include "HistoryFunctions.h"
#include "Schema.h"
#include "ServerSchema.h"
#include "StatementReader.h"
#include "StoreError.h"

#include <QSqlDriver>

NoteChanges::NoteChanges(QString dataFolder) : m_dataFolder(std::move(dataFolder)) {}

NoteChanges::~NoteChanges() = default;

bool NoteChanges::open()
{
    if (m_connection)
        return true;
    try {
        auto connection = std::make_unique<Connection>();
        connection->open(Schema::connectionText(m_dataFolder));
        m_connection = std::move(connection);
    } catch (const StoreError &) {
        return false;
    }
    return true;
}

void NoteChanges::mark()
{
    m_head = -1;
    m_own = HistoryFunctions::rowsWritten();
    if (!open())
        return;
    try {
        StatementReader head(*m_connection, QStringLiteral("SELECT IFNULL(MAX(RNo), 0) FROM RirekiTbl"));
        if (head.next())
            m_head = head.integer(0);
    } catch (const StoreError &) {
    }
}

bool NoteChanges::changedElsewhere()
{
    if (m_head < 0 || !open())
        return false;
    try {
        // Read from the end of the history's key: only the rows since the
        // mark are counted.
        StatementReader since(*m_connection,
                              QStringLiteral("SELECT COUNT(*), COUNT(CASE WHEN RTable = 'SiteTbl' THEN 1 END) "
                                             "FROM RirekiTbl WHERE RNo > ?"),
                              {m_head});
        if (!since.next())
            return false;
        const qint64 own = HistoryFunctions::rowsWritten() - m_own;
        return since.integer(1) > 0 && since.integer(0) > own;
    } catch (const StoreError &) {
        return false;
    }
}

QSqlDriver *NoteChanges::notifier()
{
    if (!open() || !m_connection->isServer())
        return nullptr;
    try {
        QSqlDriver *driver = m_connection->database().driver();
        const QString channel = ServerSchema::notesChannel();
        if (!driver->subscribedToNotifications().contains(channel) && !driver->subscribeToNotification(channel))
            return nullptr;
        return driver;
    } catch (const StoreError &) {
        return nullptr;
    }
}
