#pragma once

#include <QObject>

class QCoreApplication;

// Enter (and Return) on a focused push button presses it, in every window of
// the application, as Space does; Qt alone does that only in dialogs.
class EnterPressesButton : public QObject
{
    Q_OBJECT

public:
    static void install(QCoreApplication &app);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
