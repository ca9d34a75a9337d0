#pragma once

#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/WindowRegistry.h"

#include <QDate>

class QWidget;

// What the screenshot programs share: a data folder with demo data, the
// windows' context with scripted dialogs, and the window shown and saved as
// an image once it has settled.
class Screenshot
{
public:
    // A new data folder with `notes` demo notes around `today`.
    Screenshot(int notes, const QDate &today);

    const TestDataFolder &folder() const { return m_folder; }
    AppContext &context() { return m_context; }
    ScriptedDialogService &dialogs() { return m_dialogs; }

    // False when the window did not come on the screen.
    static bool show(QWidget &window);
    // False when the image could not be written.
    static bool save(QWidget &window, const QString &file);

private:
    TestDataFolder m_folder;
    AppValues m_values;
    ScriptedDialogService m_dialogs;
    WindowRegistry m_windows;
    AppContext m_context{m_values, m_dialogs, m_windows};
};
