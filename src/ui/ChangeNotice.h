#pragma once

#include <QLabel>
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
    // How often the register is looked at, in milliseconds.
    void setInterval(int milliseconds) { m_timer.setInterval(milliseconds); }

    // The list was filled now: the line goes and the watch starts over.
    void reset();

private:
    void look();

    NoteChanges m_changes;
    QTimer m_timer;
};
