#include "WindowCatalogue.h"

#include "ui/AppContext.h"
#include "FrmHelp.h"
#include "FrmMain.h"
#include "ui/WindowRegistry.h"

#include "inquiry/FrmRBKeikaku.h"
#include "masters/FrmCliantU.h"
#include "register/FrmSite.h"
#include "reports/FrmView.h"

namespace {

template<typename Window>
void add(AppContext &context, WindowId id)
{
    context.windows().registerFactory(id, [&context]() -> std::unique_ptr<QWidget> {
        return std::make_unique<Window>(context);
    });
}

} // namespace

void WindowCatalogue::registerAll(AppContext &context)
{
    add<FrmMain>(context, WindowId::FrmMain);
    add<FrmHelp>(context, WindowId::FrmHelp);
    add<FrmCliantU>(context, WindowId::FrmCliantU);
    add<FrmSite>(context, WindowId::FrmSite);
    add<FrmView>(context, WindowId::FrmView);
    add<FrmRBKeikaku>(context, WindowId::FrmRBKeikaku);
    // A window without a line here (maintenance screens, the inquiry screens)
    // leaves its menu button doing nothing.
}
