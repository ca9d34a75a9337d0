// book-search-screenshot <file.png>: 帳簿検索 on a demo data folder in which
// one note was corrected twice and another of the same payee deleted, listing
// that payee's notes of an amount range with the earlier contents and showing
// the corrected note's history.

#include "Screenshot.h"

#include "inquiry/FrmKensaku.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2)
        return 2;
    Screenshot shot(600, QDate::currentDate());
    const TestDataFolder &folder = shot.folder();
    const QString number =
            folder.scalar(QStringLiteral("SELECT TNo FROM SiteTbl WHERE TCond = '1' ORDER BY TKDate, TNo LIMIT 1")).toString();
    const QString payee = folder.scalar(QStringLiteral("SELECT TTo FROM SiteTbl WHERE TNo = ?"), {number}).toString();
    const double amount = folder.scalar(QStringLiteral("SELECT TKingaku FROM SiteTbl WHERE TNo = ?"), {number}).toDouble();
    folder.exec(QStringLiteral("UPDATE SiteTbl SET TKingaku = TKingaku + 50000 WHERE TNo = ?"), {number});
    folder.exec(QStringLiteral("UPDATE SiteTbl SET TKDate = date(TKDate, '+31 days'), TRemarks = '期日延長の依頼により' "
                               "WHERE TNo = ?"),
                {number});
    // The payee's note nearest in amount is deleted, so that the amount
    // range shows it too.
    folder.exec(QStringLiteral("DELETE FROM SiteTbl WHERE TNo = (SELECT TNo FROM SiteTbl WHERE TTo = ? AND TNo <> ? "
                               "ORDER BY abs(TKingaku - ?) LIMIT 1)"),
                {payee, number, amount});
    const QString from = QString::number(std::max(0.0, std::floor(amount / 100000) * 100000 - 200000), 'f', 0);
    const QString to = QString::number(std::floor(amount / 100000) * 100000 + 300000, 'f', 0);

    FrmKensaku window(shot.context());
    window.resize(1280, 760);
    if (!Screenshot::show(window))
        return 1;
    window.findChild<QLineEdit *>(QStringLiteral("txtPayee"))->setText(payee);
    window.findChild<QLineEdit *>(QStringLiteral("txtKingakuFrom"))->setText(from);
    window.findChild<QLineEdit *>(QStringLiteral("txtKingakuTo"))->setText(to);
    window.findChild<QCheckBox *>(QStringLiteral("chkEarlier"))->setChecked(true);
    window.findChild<QPushButton *>(QStringLiteral("cmdSearch"))->click();
    auto *hits = window.findChild<QAbstractItemView *>(QStringLiteral("GridHits"));
    const QAbstractItemModel *model = hits->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->index(r, 1).data().toString() == number && model->index(r, 0).data().toString() == QStringLiteral("現在"))
        {
            hits->setCurrentIndex(model->index(r, 0));
            hits->scrollTo(model->index(r, 0));
        }
    }
    if (!shot.dialogs().calls().isEmpty())
        return 1;
    return Screenshot::save(window, args.at(1)) ? 0 : 1;
}
