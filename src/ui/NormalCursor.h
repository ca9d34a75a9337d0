#pragma once

#include <QGuiApplication>

// The normal pointer for as long as the object lives, where a wait pointer
// was showing: a message or question never shows the wait pointer of the
// step it interrupts.
class NormalCursor
{
public:
    NormalCursor()
        : m_waiting(QGuiApplication::overrideCursor() != nullptr)
    {
        if (m_waiting)
            QGuiApplication::restoreOverrideCursor();
    }
    ~NormalCursor()
    {
        if (m_waiting)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    NormalCursor(const NormalCursor &) = delete;
    NormalCursor &operator=(const NormalCursor &) = delete;

private:
    bool m_waiting;
};
