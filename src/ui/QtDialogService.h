#pragma once

#include "DialogService.h"

#include <QPointer>
#include <QWidget>

// The dialog service of the running application: Qt message and input boxes
// with Japanese button captions, centred over the window they belong to.
class QtDialogService : public DialogService
{
public:
    Answer message(const QString &text, const QString &title, Buttons buttons, Icon icon) override;
    Answer detailedMessage(const QString &text, const QString &details, const QString &title, Buttons buttons,
                           Icon icon) override;
    QString input(const QString &prompt, const QString &title, const QString &defaultText) override;
    void beep() override;
    QString saveFileName(const QString &title, const QString &suggestedPath, const QStringList &filters,
                         QString *chosenFilter) override;

    // The window a box opens over: the active window; while none is active
    // (the moment after another box has closed), the one the last box
    // belonged to.
    QWidget *owner();

private:
    QPointer<QWidget> m_lastOwner;
};
