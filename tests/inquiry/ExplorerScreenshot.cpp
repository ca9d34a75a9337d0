// note-explorer-screenshot <png>: the note explorer on a demo data folder,
// listing one bank's notes due in April 2024, saved as an image.

#include "Screenshot.h"

#include "inquiry/FrmRbView.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTreeWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2)
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
    return Screenshot::save(window, args.at(1)) ? 0 : 1;
}
