#pragma once

class AppValues;
class QString;
class DialogService;
class WindowRegistry;

// What every window is given: the application-wide values, the dialog
// service and the registry through which it opens other windows.
class AppContext
{
public:
    AppContext(AppValues &values, DialogService &dialogs, WindowRegistry &windows)
        : m_values(values)
        , m_dialogs(dialogs)
        , m_windows(windows)
    {
    }

    AppValues &values() const { return m_values; }
    DialogService &dialogs() const { return m_dialogs; }
    WindowRegistry &windows() const { return m_windows; }

    // Opens the report viewer on report `modeFlag` ("1" ... "16"); any other
    // value the report reads (date, category) is set before.
    void showReport(const QString &modeFlag) const;

private:
    AppValues &m_values;
    DialogService &m_dialogs;
    WindowRegistry &m_windows;
};
