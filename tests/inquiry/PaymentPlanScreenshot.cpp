// payment-plan-screenshot <png>: the payment plan by payee on a demo data
// folder, saved as an image.

#include "Screenshot.h"

#include "inquiry/FrmRBKeikaku.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2)
        return 2;
    Screenshot shot(400, QDate::currentDate());
    FrmRBKeikaku window(shot.context());
    window.resize(980, 520);
    if (!Screenshot::show(window) || !shot.dialogs().calls().isEmpty())
        return 1;
    return Screenshot::save(window, args.at(1)) ? 0 : 1;
}
