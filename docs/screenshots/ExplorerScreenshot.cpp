// note-explorer-screenshot <png> [--changed]: the note explorer on a demo
// data folder, listing one bank's notes due in April 2024, saved as an image;
// with --changed, after another PC changed a note, showing the line that
// says so.

#include "Screenshot.h"

#include "inquiry/FrmRbView.h"
#include "ui/ChangeNotice.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2 && !(args.size() == 3 && args.at(2) == QLatin1String("--changed")))
        return 2;
    Screenshot shot(2000, QDate(2024, 4, 1));
    FrmRbView window(shot.context());
    if (!Screenshot::show(window))
        return 1;

    auto *bank = window.findChild<QComboBox *>(QStringLiteral("ComboB"));
    bank->setCurrentIndex(bank->findData(QStringLiteral("2")));
    window.findChild<QDateEdit *>(QStringLiteral("DTStart"))->setDate(QDate(2024, 4, 1));
    window.findChild<QDateEdit *>(QStringLiteral("DTEnd"))->setDate(QDate(2024, 4, 30));
    window.findChild<QPushButton *>(QStringLiteral("cmdGo"))->click();
    auto *tree = window.findChild<QTreeWidget *>(QStringLiteral("TreeView1"));
    const QList<QTreeWidgetItem *> april =
            tree->findItems(QStringLiteral("2024/04/01"), Qt::MatchExactly | Qt::MatchRecursive);
    if (!april.isEmpty())
        tree->scrollToItem(april.first(), QAbstractItemView::PositionAtTop);
    if (!shot.dialogs().messages().isEmpty())
        return 1;
    if (args.size() == 3) {
        auto *notice = window.findChild<ChangeNotice *>(QStringLiteral("lblChanged"));
        notice->setInterval(10);
        shot.folder().execElsewhere(QStringLiteral("UPDATE SiteTbl SET TCond = '2' WHERE TKDate = '2024-04-01'"));
        if (!QTest::qWaitFor([notice] { return notice->isVisible(); }))
            return 1;
    }
    return Screenshot::save(window, args.at(1)) ? 0 : 1;
}
