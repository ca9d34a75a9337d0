#include "Screenshot.h"

#include "tools/DemoData.h"

#include <QTest>
#include <QWidget>

Screenshot::Screenshot(int notes, const QDate &today)
{
    DemoData::addDemoData(m_folder.path(), notes, today);
    m_values.setDataFolder(m_folder.path());
}

bool Screenshot::show(QWidget &window)
{
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

bool Screenshot::save(QWidget &window, const QString &file)
{
    QTest::qWait(200);
    return window.grab().save(file);
}
