#include "ChangeNotice.h"

#include "store/ServerSchema.h"

ChangeNotice::ChangeNotice(const QString &dataFolder, QWidget *parent) : QLabel(text(), parent), m_changes(dataFolder)
{
    setObjectName(QStringLiteral("lblChanged"));
    setStyleSheet(QStringLiteral("color: #b00000;"));
    hide();
    connect(&m_timer, &QTimer::timeout, this, &ChangeNotice::look);
}

QString ChangeNotice::text()
{
    return QStringLiteral("他の端末で手形が変更されました（F5 で再表示）");
}

void ChangeNotice::setInterval(int milliseconds)
{
    m_interval = milliseconds;
    m_timer.setInterval(milliseconds);
}

void ChangeNotice::reset()
{
    hide();
    m_changes.mark();
    listen();
    m_timer.start(m_interval > 0 ? m_interval : m_driver ? 60000 : 3000);
}

// The server's notification of a committed change; a session whose
// connection was lost is listened to anew once the check has opened another.
void ChangeNotice::listen()
{
    QSqlDriver *driver = m_changes.notifier();
    if (driver == m_driver)
        return;
    if (m_driver)
        disconnect(m_driver, &QSqlDriver::notification, this, &ChangeNotice::notified);
    m_driver = driver;
    if (m_driver)
        connect(m_driver, &QSqlDriver::notification, this, &ChangeNotice::notified);
}

void ChangeNotice::notified(const QString &name, QSqlDriver::NotificationSource source, const QVariant &)
{
    if (name != ServerSchema::notesChannel() || source != QSqlDriver::OtherSource || m_lookPending
        || !m_timer.isActive())
        return;
    // Looked at once the driver has handed out its notifications: the check
    // runs a statement on the same connection. Which of the changes were
    // this program's own the check decides.
    m_lookPending = true;
    QMetaObject::invokeMethod(this, &ChangeNotice::lookNow, Qt::QueuedConnection);
}

void ChangeNotice::lookNow()
{
    m_lookPending = false;
    if (m_timer.isActive())
        look();
}

void ChangeNotice::look()
{
    const bool changed = m_changes.changedElsewhere();
    listen();
    if (!changed)
        return;
    show();
    m_timer.stop();
}
