#include "ui/ActiveWindowSource.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "app/Platform.h"
#include "ui/EnterPressesButton.h"
#include "ui/QtDialogService.h"
#include "ui/QtTranslations.h"
#include "app/WindowCatalogue.h"
#include "ui/WindowRegistry.h"
#include "app/frmSplash.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QtTranslations::installJapanese(app);
    EnterPressesButton::install(app);
    // Until the main menu is up, no closed window may end the application;
    // a failed start-up ends it explicitly.
    QApplication::setQuitOnLastWindowClosed(false);
    ActiveWindowSource::install();

    AppValues values;
    values.setProgramFolder(Platform::programFolder());
    QtDialogService dialogs;
    WindowRegistry windows;
    AppContext context(values, dialogs, windows);
    WindowCatalogue::registerAll(context);

    frmSplash splash(context);
    QObject::connect(&splash, &frmSplash::finished, &app, [](bool mainMenuShown) {
        if (mainMenuShown)
            QApplication::setQuitOnLastWindowClosed(true);
        else
            QCoreApplication::exit(1);
    });
    splash.show();
    splash.activateWindow();
    return app.exec();
}
