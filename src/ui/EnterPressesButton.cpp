#include "EnterPressesButton.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

void EnterPressesButton::install(QCoreApplication &app)
{
    app.installEventFilter(new EnterPressesButton(&app));
}

bool EnterPressesButton::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        auto *button = qobject_cast<QPushButton *>(watched);
        if (enter && button && button->hasFocus() && button->isEnabled()
            && !(key->modifiers() & ~Qt::KeypadModifier)) {
            button->click();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
