#include "WindowCatalogue.h"

#include "ui/AppContext.h"
#include "FrmHelp.h"
#include "FrmMain.h"
#include "ui/WindowRegistry.h"

#include "inquiry/FrmKensaku.h"
#include "inquiry/FrmRBKeikaku.h"
#include "inquiry/FrmRbView.h"
#include "inquiry/FrmRibodo.h"
#include "inquiry/FrmShikin.h"
#include "inquiry/FrmZandaka.h"
#include "masters/FrmBank.h"
#include "masters/frmCliant.h"
#include "masters/FrmCliantU.h"
#include "masters/FrmSKbn.h"
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
    add<FrmSKbn>(context, WindowId::FrmSKbn);
    add<FrmBank>(context, WindowId::FrmBank);
    add<frmCliant>(context, WindowId::frmCliant);
    add<FrmRibodo>(context, WindowId::FrmRibodo);
    add<FrmRbView>(context, WindowId::FrmRbView);
    add<FrmRBKeikaku>(context, WindowId::FrmRBKeikaku);
    add<FrmShikin>(context, WindowId::FrmShikin);
    add<FrmZandaka>(context, WindowId::FrmZandaka);
    add<FrmKensaku>(context, WindowId::FrmKensaku);
    // A window without a line here leaves its menu button doing nothing.
}
