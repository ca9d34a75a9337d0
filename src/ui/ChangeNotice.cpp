#include "ChangeNotice.h"

ChangeNotice::ChangeNotice(const QString &dataFolder, QWidget *parent) : QLabel(text(), parent), m_changes(dataFolder)
{
    setObjectName(QStringLiteral("lblChanged"));
    setStyleSheet(QStringLiteral("color: #b00000;"));
    hide();
    m_timer.setInterval(3000);
    connect(&m_timer, &QTimer::timeout, this, &ChangeNotice::look);
}

QString ChangeNotice::text()
{
    return QStringLiteral("他の端末で手形が変更されました（F5 で再表示）");
}

void ChangeNotice::reset()
{
    hide();
    m_changes.mark();
    m_timer.start();
}

void ChangeNotice::look()
{
    if (!m_changes.changedElsewhere())
        return;
    show();
    m_timer.stop();
}
