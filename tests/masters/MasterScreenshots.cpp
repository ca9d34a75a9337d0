// master-screenshots <folder>: the category, bank and supplier windows on a
// demo data folder, each with a called-up entry, saved as categories.png,
// banks.png and suppliers.png.

#include "Screenshot.h"

#include "masters/FrmBank.h"
#include "masters/FrmSKbn.h"
#include "masters/frmCliant.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>

namespace {

bool shoot(QWidget &window, ScriptedDialogService &dialogs, bool question, const QString &code, const QString &file)
{
    if (!Screenshot::show(window))
        return false;
    if (question)
        dialogs.queueAnswer(DialogService::Answer::Yes);
    dialogs.queueInput(code);
    window.findChild<QPushButton *>(QStringLiteral("CmdCall"))->click();
    return Screenshot::save(window, file);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2)
        return 2;
    Screenshot shot(40, QDate(2024, 4, 1));
    AppContext &ctx = shot.context();
    ScriptedDialogService &dialogs = shot.dialogs();
    const QDir out(args.at(1));
    FrmSKbn categories(ctx);
    FrmBank banks(ctx);
    frmCliant suppliers(ctx);
    const bool ok = shoot(categories, dialogs, false, QStringLiteral("2"), out.filePath(QStringLiteral("categories.png")))
            && shoot(banks, dialogs, false, QStringLiteral("2"), out.filePath(QStringLiteral("banks.png")))
            && shoot(suppliers, dialogs, true, QStringLiteral("110"), out.filePath(QStringLiteral("suppliers.png")));
    return ok && dialogs.messageTexts().size() == 1 ? 0 : 1;
}
