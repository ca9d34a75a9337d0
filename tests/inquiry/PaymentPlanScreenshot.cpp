// payment-plan-screenshot <png>: the payment plan by payee on a demo data
// folder, saved as an image.

#include "ScriptedDialogService.h"

#include "inquiry/FrmRBKeikaku.h"
#include "store/DataFolderBuilder.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2)
        return 2;
    QTemporaryDir scratch;
    const QString folder = scratch.path() + QDir::separator();
    DataFolderBuilder::createDatabase(folder);
    DataFolderBuilder::addDemoData(folder, 400, QDate::currentDate());

    AppValues values;
    values.setDataFolder(folder);
    ScriptedDialogService dialogs;
    WindowRegistry windows;
    AppContext ctx(values, dialogs, windows);
    FrmRBKeikaku window(ctx);
    window.resize(980, 520);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !dialogs.calls().isEmpty())
        return 1;
    QTest::qWait(200);
    return window.grab().save(args.at(1)) ? 0 : 1;
}
