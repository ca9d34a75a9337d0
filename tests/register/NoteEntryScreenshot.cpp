// note-entry-screenshot <png>: the note entry window with a called-up note,
// on a demo data folder, saved as an image.

#include "Screenshot.h"

#include "register/DateTextBox.h"
#include "register/FrmSite.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2)
        return 2;
    Screenshot shot(40, QDate(2024, 4, 1));
    ScriptedDialogService &dialogs = shot.dialogs();
    FrmSite window(shot.context());
    if (!Screenshot::show(window))
        return 1;

    const auto box = [&](int i) { return window.findChild<QLineEdit *>(QStringLiteral("TxtRibodo_%1").arg(i)); };
    const auto date = [&](int i) { return window.findChild<DateTextBox *>(QStringLiteral("DateTextBox1_%1").arg(i)); };
    const auto combo = [&](int i) { return window.findChild<QComboBox *>(QStringLiteral("Combo1_%1").arg(i)); };
    box(0)->setText(QStringLiteral("AC20417"));
    window.supplierPicked(QStringLiteral("120"), QStringLiteral("鈴木金属株式会社"));
    date(0)->setDate(QDate(2024, 4, 17));
    box(3)->setText(QStringLiteral("1,850,000"));
    date(1)->setDate(QDate(2024, 8, 20));
    combo(1)->setCurrentIndex(2);
    combo(3)->setCurrentIndex(1);
    box(4)->setText(QStringLiteral("3月分 仕入代金"));
    window.findChild<QPushButton *>(QStringLiteral("CmdRecorde"))->click();

    dialogs.queueAnswer(DialogService::Answer::Yes);
    dialogs.queueInput(QStringLiteral("AC20417"));
    window.findChild<QPushButton *>(QStringLiteral("CmdCall"))->click();
    if (dialogs.messageTexts().size() != 1 || box(5)->text().isEmpty())
        return 1;
    return Screenshot::save(window, args.at(1)) ? 0 : 1;
}
