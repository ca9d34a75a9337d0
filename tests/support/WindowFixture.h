#pragma once

#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/WindowRegistry.h"

#include <QWidget>

#include <memory>

// A new data folder with the application objects around it: values naming
// the folder, scripted dialogs, a window registry and the context on them.
class WindowFixture
{
public:
    // useFolder false leaves the data folder unnamed in the values.
    explicit WindowFixture(bool useFolder = true);

    // Lets the registry make W on this context.
    template<typename W>
    void add(WindowId id)
    {
        windows.registerFactory(id, [this] { return std::make_unique<W>(context); });
    }

    // A child of `window` found by its object name.
    template<typename T = QWidget>
    static T *child(const QWidget *window, const char *name)
    {
        return window->findChild<T *>(QLatin1String(name));
    }
    // Clicks the button of `window` with that object name.
    static void click(const QWidget *window, const char *name);
    // Shows `window` and waits until it is on screen.
    static bool show(QWidget *window);

    TestDataFolder data;
    AppValues values;
    ScriptedDialogService dialogs;
    WindowRegistry windows;
    AppContext context{values, dialogs, windows};
};
