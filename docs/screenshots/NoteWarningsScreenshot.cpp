// note-warnings-screenshot <png>: the note entry window with a paper note
// that carries every warning (a long term, due after the clearing house
// stops exchanging paper notes, drawn to a covered supplier), as an image.

#include "Screenshot.h"

#include "register/DateTextBox.h"
#include "register/FrmSite.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2)
        return 2;
    Screenshot shot(40, QDate(2026, 12, 1));
    shot.folder().exec(QStringLiteral("UPDATE SireCliant SET ClTekiho = 1 WHERE ClCode = '120'"));
    FrmSite window(shot.context());
    if (!Screenshot::show(window))
        return 1;

    const auto box = [&](int i) { return window.findChild<QLineEdit *>(QStringLiteral("TxtRibodo_%1").arg(i)); };
    const auto date = [&](int i) { return window.findChild<DateTextBox *>(QStringLiteral("DateTextBox1_%1").arg(i)); };
    box(0)->setText(QStringLiteral("AC26121"));
    window.supplierPicked(QStringLiteral("120"), QStringLiteral("鈴木金属株式会社"));
    date(0)->setDate(QDate(2026, 12, 10));
    box(3)->setText(QStringLiteral("3,500,000"));
    date(1)->setDate(QDate(2027, 4, 30));
    window.findChild<QComboBox *>(QStringLiteral("Combo1_3"))->setCurrentIndex(0);
    box(4)->setText(QStringLiteral("11月分 仕入代金"));
    if (!window.findChild<QLabel *>(QStringLiteral("lblSubcontract"))->isVisible())
        return 1;
    return Screenshot::save(window, args.at(1)) ? 0 : 1;
}
