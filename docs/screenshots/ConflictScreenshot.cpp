// conflict-screenshot <png>: the note entry window refusing a correction of a
// note another PC changed after it was called up, with the message box over
// it, on a demo data folder, saved as an image.

#include "Screenshot.h"

#include "register/FrmSite.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTest>

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
    const QString number =
            shot.folder().scalar(QStringLiteral("SELECT TNo FROM SiteTbl WHERE TCond = '1' ORDER BY TKDate LIMIT 1")).toString();
    dialogs.queueAnswer(DialogService::Answer::Yes);
    dialogs.queueInput(number);
    window.findChild<QPushButton *>(QStringLiteral("CmdCall"))->click();

    shot.folder().execElsewhere(QStringLiteral("UPDATE SiteTbl SET TCond = '2' WHERE TNo = ?"), {number});
    auto *amount = window.findChild<QLineEdit *>(QStringLiteral("TxtRibodo_3"));
    amount->selectAll();
    QTest::keyClicks(amount, QStringLiteral("2,000,000"));
    dialogs.clear();
    window.findChild<QPushButton *>(QStringLiteral("CmdEdit"))->click();
    if (dialogs.messages().size() != 1)
        return 1;

    // The box the running program shows, drawn over the window's middle.
    const ScriptedDialogService::Call refusal = dialogs.messages().first();
    QMessageBox box(QMessageBox::Critical, refusal.title, refusal.text, QMessageBox::Ok, &window);
    box.show();
    QTest::qWait(200);
    QPixmap picture = window.grab();
    const QPixmap over = box.grab();
    QPainter painter(&picture);
    painter.drawPixmap((picture.width() - over.width()) / 2, (picture.height() - over.height()) / 2, over);
    painter.setPen(Qt::darkGray);
    painter.drawRect(QRect((picture.width() - over.width()) / 2, (picture.height() - over.height()) / 2,
                           over.width() - 1, over.height() - 1));
    painter.end();
    return picture.save(args.at(1)) ? 0 : 1;
}
