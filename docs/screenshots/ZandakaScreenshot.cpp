// zandaka-screenshot <png>: the balance of notes payable at Sunday
// 2024-03-31 on a demo data folder, saved as an image.

#include "Screenshot.h"

#include "inquiry/FrmZandaka.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2)
        return 2;
    Screenshot shot(400, QDate(2024, 4, 10));
    FrmZandaka window(shot.context());
    window.findChild<QLineEdit *>(QStringLiteral("txtDate"))->setText(QStringLiteral("2024/03/31"));
    window.findChild<QPushButton *>(QStringLiteral("CmdShow"))->click();
    if (!Screenshot::show(window))
        return 1;
    return Screenshot::save(window, args.at(1)) ? 0 : 1;
}
