#pragma once

#include <QLabel>
#include <QPointer>
#include <QSqlDriver>
#include <QTimer>

#include "store/NoteChanges.h"

// The line a list window shows when another PC changed notes since the list
// was filled. It only tells; the list stays as it was until the user asks
// for it again (F5).
class ChangeNotice : public QLabel
{
    Q_OBJECT

public:
    ChangeNotice(const QString &dataFolder, QWidget *parent);

    static QString text();
    // How often the register is looked at, in milliseconds. Unset, every
    // 3 s; on a server that tells of changes, every 60 s as a safety net.
    void setInterval(int milliseconds);

    // The list was filled now: the line goes and the watch starts over.
    void reset();

private:
    void look();
    void listen();
    void notified(const QString &name, QSqlDriver::NotificationSource source, const QVariant &payload);
    void lookNow();

    NoteChanges m_changes;
    QTimer m_timer;
    QPointer<QSqlDriver> m_driver;
    int m_interval = 0;
    bool m_lookPending = false;
};
