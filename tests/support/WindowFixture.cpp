#include "WindowFixture.h"

#include "ui/ActiveWindowSource.h"

#include <QPushButton>
#include <QtTest>

WindowFixture::WindowFixture(bool useFolder)
{
    ActiveWindowSource::install();
    if (useFolder)
        values.setDataFolder(data.path());
}

void WindowFixture::click(const QWidget *window, const char *name)
{
    QTest::mouseClick(child<QPushButton>(window, name), Qt::LeftButton);
}

bool WindowFixture::show(QWidget *window)
{
    window->show();
    return QTest::qWaitForWindowExposed(window);
}
