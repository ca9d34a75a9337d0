#pragma once

#include <QObject>

class QWidget;

// Keeps a window at the top-left corner of its screen's free area. The
// window is placed at once and again at its first paint: only a window on
// the screen knows its frame, and the corner is the frame's, title bar
// included. A window manager that placed the client area in the corner
// would hide the title.
class WindowPlacement : public QObject
{
    Q_OBJECT

public:
    static void keepTopLeft(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit WindowPlacement(QWidget *window);
    static void placeTopLeft(QWidget *window);
};
