#pragma once

#include "DialogService.h"

// The dialog service of the running application: Qt message and input boxes
// with Japanese button captions.
class QtDialogService : public DialogService
{
public:
    Answer message(const QString &text, const QString &title, Buttons buttons, Icon icon) override;
    QString input(const QString &prompt, const QString &title, const QString &defaultText) override;
    void beep() override;
};
