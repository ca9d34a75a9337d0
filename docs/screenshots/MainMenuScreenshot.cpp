// main-menu-screenshot <png>: the main menu on a demo data folder, saved as
// an image.

#include "Screenshot.h"

#include "app/FrmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2)
        return 2;
    Screenshot shot(100, QDate(2024, 4, 1));
    FrmMain window(shot.context());
    if (!Screenshot::show(window))
        return 1;
    return Screenshot::save(window, args.at(1)) ? 0 : 1;
}
