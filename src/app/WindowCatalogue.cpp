#include "WindowCatalogue.h"

#include "AppContext.h"
#include "FrmHelp.h"
#include "FrmMain.h"
#include "WindowRegistry.h"

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

    // ---- Windows of the other subsystems: one add<...> line each, below ----
    // (ribodo_masters: FrmSKbn, FrmBank, frmCliant, FrmCliantU; ribodo_register:
    // FrmSite; ribodo_inquiry: FrmRbView, FrmRibodo, FrmRBKeikaku;
    // ribodo_reports: FrmView). A window without a line here leaves its menu
    // button doing nothing.
}
