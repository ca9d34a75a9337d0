#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Esc, with no modifier, that reaches a window because none of its controls
// took it runs the window's close step: Esc closes a secondary window.
class EscapeKey : public QObject
{
    Q_OBJECT

public:
    static void runs(QWidget *window, std::function<void()> action);
    static void closes(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    EscapeKey(QWidget *window, std::function<void()> action);

    std::function<void()> m_action;
};
