#include "EscapeKey.h"

#include <QKeyEvent>
#include <QWidget>

EscapeKey::EscapeKey(QWidget *window, std::function<void()> action)
    : QObject(window)
    , m_action(std::move(action))
{
    window->installEventFilter(this);
}

void EscapeKey::runs(QWidget *window, std::function<void()> action)
{
    new EscapeKey(window, std::move(action));
}

void EscapeKey::closes(QWidget *window)
{
    runs(window, [window] { window->close(); });
}

bool EscapeKey::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            m_action();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
