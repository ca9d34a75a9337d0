// settlement-screenshot <png>: today's settlement on a busy day of a demo data
// folder, with one note opened in 決済入力, saved as an image.

#include "Screenshot.h"

#include "inquiry/FrmRibodo.h"
#include "ui/TableGrid.h"

#include <QApplication>
#include <QDateEdit>
#include <QPushButton>
#include <QTest>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2)
        return 2;
    Screenshot shot(3000, QDate(2024, 4, 1));
    const QString busiest = shot.folder().scalar(QStringLiteral(
            "SELECT TKDate FROM SiteTbl WHERE TKDate <= '2024-04-01' GROUP BY TKDate ORDER BY COUNT(*) DESC, TKDate DESC LIMIT 1"))
                                    .toString();

    FrmRibodo window(shot.context());
    if (!Screenshot::show(window))
        return 1;
    window.findChild<QDateEdit *>(QStringLiteral("DTPicker1"))->setDate(QDate::fromString(busiest, Qt::ISODate));
    window.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    auto *grid = window.findChild<TableGrid *>(QStringLiteral("HFGrid1"));
    grid->setFocus();
    grid->selectRow(2);
    QTest::keyClick(grid, Qt::Key_Return);
    if (!shot.dialogs().messageTexts().isEmpty())
        return 1;
    return Screenshot::save(window, args.at(1)) ? 0 : 1;
}
