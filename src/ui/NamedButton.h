#pragma once

#include <QPushButton>

// A push button with an object name, which Enter in another control never
// presses: the windows press their buttons by click or access key only.
class NamedButton
{
public:
    static QPushButton *create(QWidget *parent, const char *name, const QString &caption);

    // The same, its click running the window's handler.
    template<typename Window>
    static QPushButton *create(Window *window, const char *name, const QString &caption, void (Window::*handler)())
    {
        QPushButton *b = create(window, name, caption);
        QObject::connect(b, &QPushButton::clicked, window, handler);
        return b;
    }
};
