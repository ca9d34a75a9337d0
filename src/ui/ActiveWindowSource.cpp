#include "ActiveWindowSource.h"

#include "store/ChangeSource.h"

#include <QApplication>
#include <QDialog>

void ActiveWindowSource::install()
{
    ChangeSource::install([] {
        // A question just answered may still be the active window: the
        // change belongs to the window that asked it.
        const QWidget *window = QApplication::activeWindow();
        while (qobject_cast<const QDialog *>(window) && window->parentWidget())
            window = window->parentWidget()->window();
        return window ? window->windowTitle() : QString();
    });
}
