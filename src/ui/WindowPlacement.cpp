#include "WindowPlacement.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>

WindowPlacement::WindowPlacement(QWidget *window)
    : QObject(window)
{
    window->installEventFilter(this);
}

void WindowPlacement::keepTopLeft(QWidget *window)
{
    placeTopLeft(window);
    new WindowPlacement(window);
}

void WindowPlacement::placeTopLeft(QWidget *window)
{
    if (const QScreen *s = window->screen()) {
        const QPoint corner = s->availableGeometry().topLeft();
        if (window->pos() != corner)
            window->move(corner);
    }
}

bool WindowPlacement::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && watched == parent()) {
        watched->removeEventFilter(this);
        placeTopLeft(static_cast<QWidget *>(watched));
        deleteLater();
    }
    return QObject::eventFilter(watched, event);
}
