// note-explorer-screenshot <png>: the note explorer on a demo data folder,
// listing one bank's notes due in April 2024, saved as an image.

#include "ScriptedDialogService.h"

#include "inquiry/FrmRbView.h"
#include "store/DataFolderBuilder.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2)
        return 2;
    QTemporaryDir scratch;
    const QString folder = scratch.path() + QDir::separator();
    DataFolderBuilder::createDatabase(folder);
    DataFolderBuilder::addDemoData(folder, 2000, QDate(2024, 4, 1));

    AppValues values;
    values.setDataFolder(folder);
    ScriptedDialogService dialogs;
    WindowRegistry windows;
    AppContext ctx(values, dialogs, windows);
    FrmRbView window(ctx);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
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
    if (!dialogs.messages().isEmpty())
        return 1;
    QTest::qWait(200);
    return window.grab().save(args.at(1)) ? 0 : 1;
}
