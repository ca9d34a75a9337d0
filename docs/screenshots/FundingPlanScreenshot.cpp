// funding-plan-screenshot <window.png> <chart.png>: the funding plan on a
// demo data folder whose banks hold balances that one of them will not
// keep, saved as an image of the window and one of its chart.

#include "Screenshot.h"

#include "inquiry/FrmShikin.h"
#include "rules/BankBalance.h"
#include "rules/FundingPlan.h"

#include <QApplication>

#include <cmath>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3)
        return 2;
    const QDate today = QDate::currentDate();
    Screenshot shot(600, today);
    const QString folder = shot.folder().path();
    const FundingPlan unfunded = FundingPlan::build(folder, today, today.addDays(FundingPlan::defaultDays));
    int n = 0;
    for (const FundingPlan::Bank &bank : unfunded.banks()) {
        if (!bank.registered)
            continue;
        // Every bank but the second covers its notes with a margin.
        const double share = n++ == 1 ? 0.55 : 1.25;
        BankBalance::save(folder, bank.code, today, std::round(bank.total * share / 10000) * 10000);
    }

    FrmShikin window(shot.context());
    window.resize(1280, 800);
    if (!Screenshot::show(window) || !shot.dialogs().calls().isEmpty())
        return 1;
    if (!Screenshot::save(window, args.at(1)))
        return 1;
    return window.saveChart(args.at(2)) ? 0 : 1;
}
