#include "WindowRegistry.h"

WindowRegistry::WindowRegistry(QObject *parent)
    : QObject(parent)
{
}

WindowRegistry::~WindowRegistry()
{
    for (const QPointer<QWidget> &w : std::as_const(m_windows))
        delete w.data();
}

void WindowRegistry::registerFactory(WindowId id, Factory factory)
{
    m_factories.insert(id, std::move(factory));
}

bool WindowRegistry::canCreate(WindowId id) const
{
    return m_factories.contains(id);
}

QWidget *WindowRegistry::window(WindowId id) const
{
    return m_windows.value(id).data();
}

QWidget *WindowRegistry::load(WindowId id)
{
    if (QWidget *existing = window(id))
        return existing;
    const auto factory = m_factories.constFind(id);
    if (factory == m_factories.constEnd())
        return nullptr;
    std::unique_ptr<QWidget> made = (*factory)();
    if (!made)
        return nullptr;
    // A top-level window owns itself from here: closing it destroys it.
    QWidget *w = made.release();
    w->setAttribute(Qt::WA_DeleteOnClose, true);
    m_windows.insert(id, w);
    Q_EMIT windowLoaded(id, w);
    return w;
}

QWidget *WindowRegistry::show(WindowId id)
{
    QWidget *w = load(id);
    if (!w)
        return nullptr;
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

void WindowRegistry::unload(WindowId id)
{
    // Deleted at once, not closed: a window that only hides when closed
    // (the supplier search list) must really go.
    delete window(id);
    m_windows.remove(id);
}
