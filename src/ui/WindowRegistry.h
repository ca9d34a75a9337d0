#pragma once

#include "WindowId.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

// Creates each screen window on demand and keeps it single: asking for a
// window that exists brings that one forward. A closed window is destroyed,
// so that the next request loads it afresh.
class WindowRegistry : public QObject
{
    Q_OBJECT

public:
    using Factory = std::function<std::unique_ptr<QWidget>()>;

    explicit WindowRegistry(QObject *parent = nullptr);
    ~WindowRegistry() override;

    void registerFactory(WindowId id, Factory factory);
    bool canCreate(WindowId id) const;

    // The window if it is loaded, else nullptr.
    QWidget *window(WindowId id) const;

    // Loads the window without showing it (nullptr when no factory is known).
    QWidget *load(WindowId id);

    // Loads the window if needed, shows it not modal and brings it forward.
    QWidget *show(WindowId id);

    // Destroys the window if it is loaded.
    void unload(WindowId id);

    template<typename T>
    T *windowAs(WindowId id) const { return qobject_cast<T *>(window(id)); }

Q_SIGNALS:
    void windowLoaded(WindowId id, QWidget *window);

private:
    QHash<WindowId, Factory> m_factories;
    QHash<WindowId, QPointer<QWidget>> m_windows;
};
