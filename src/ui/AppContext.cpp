#include "AppContext.h"

#include "AppValues.h"
#include "WindowId.h"
#include "WindowRegistry.h"

void AppContext::showReport(const QString &modeFlag) const
{
    m_values.setModeFlag(modeFlag);
    m_windows.show(WindowId::FrmView);
}
