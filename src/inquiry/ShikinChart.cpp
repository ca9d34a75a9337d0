#include "ShikinChart.h"

#include "rules/FundingPlan.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPixmap>
#include <QSaveFile>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>
#include <iterator>

namespace {

const QColor colours[] = {
    QColor(0x1f, 0x77, 0xb4), QColor(0xff, 0x7f, 0x0e), QColor(0x2c, 0xa0, 0x2c), QColor(0x94, 0x67, 0xbd),
    QColor(0x8c, 0x56, 0x4b), QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f), QColor(0xbc, 0xbd, 0x22),
    QColor(0x17, 0xbe, 0xcf), QColor(0x39, 0x3b, 0x79),
};

constexpr double unit = 1000; // thousands of yen

} // namespace

ShikinChart::ShikinChart(QWidget *parent)
    : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    chart()->setMargins(QMargins(4, 4, 4, 4));
}

void ShikinChart::setPlan(const FundingPlan &plan)
{
    QChart *c = chart();
    c->removeAllSeries();
    const auto axes = c->axes();
    for (QAbstractAxis *axis : axes) {
        c->removeAxis(axis);
        delete axis;
    }
    c->setTitle(QStringLiteral("資金繰り予定　%1　(棒: 決済額　線: 残高　単位: 千円)").arg(plan.periodText()));

    const QList<QDate> dates = plan.dates();
    QStringList categories;
    for (const QDate &d : dates)
        categories << d.toString(QStringLiteral("MM/dd"));

    auto *bars = new QStackedBarSeries(c);
    QList<QLineSeries *> lines;
    QList<double> dayTotals(dates.size(), 0);
    double low = 0;
    double high = 0;
    int n = 0;
    for (const FundingPlan::Bank &bank : plan.banks()) {
        if (bank.days.isEmpty() && !bank.hasBalance)
            continue;
        const QColor colour = colours[n++ % std::size(colours)];
        auto *set = new QBarSet(bank.name, bars);
        set->setColor(colour);
        set->setBorderColor(colour.darker(115));
        auto *line = new QLineSeries(c);
        line->setName(bank.name + QStringLiteral(" 残高"));
        line->setPen(QPen(colour.darker(140), 2));
        line->setPointsVisible(true);
        qsizetype d = 0;
        for (qsizetype i = 0; i < dates.size(); ++i) {
            double amount = 0;
            while (d < bank.days.size() && bank.days.at(d).date <= dates.at(i)) {
                if (bank.days.at(d).date == dates.at(i))
                    amount = bank.days.at(d).amount;
                ++d;
            }
            const double balance = plan.balanceOn(bank, dates.at(i)) / unit;
            set->append(amount / unit);
            dayTotals[i] += amount / unit;
            line->append(double(i), balance);
            low = std::min(low, balance);
            high = std::max(high, balance);
        }
        bars->append(set);
        lines.append(line);
    }
    for (double total : std::as_const(dayTotals))
        high = std::max(high, total);

    c->addSeries(bars);
    auto *axisX = new QBarCategoryAxis(c);
    axisX->append(categories);
    axisX->setLabelsAngle(-90);
    axisX->setTruncateLabels(false);
    auto *axisY = new QValueAxis(c);
    axisY->setRange(low, high > low ? high : low + 1);
    axisY->setLabelFormat(QStringLiteral("%.0f"));
    axisY->setTitleText(QStringLiteral("千円"));
    axisY->applyNiceNumbers();
    c->addAxis(axisX, Qt::AlignBottom);
    c->addAxis(axisY, Qt::AlignLeft);
    bars->attachAxis(axisX);
    bars->attachAxis(axisY);

    // The lines share the bars' places: one step per day, centred on them.
    auto *lineX = new QValueAxis(c);
    lineX->setRange(-0.5, std::max<double>(dates.size(), 1) - 0.5);
    lineX->setVisible(false);
    c->addAxis(lineX, Qt::AlignBottom);
    // A bank's line takes the colour of its bars: the legend names each bank once.
    for (QLineSeries *line : std::as_const(lines)) {
        c->addSeries(line);
        line->attachAxis(lineX);
        line->attachAxis(axisY);
        const auto markers = c->legend()->markers(line);
        for (QLegendMarker *marker : markers)
            marker->setVisible(false);
    }

    // Below this red line a bank's account is short.
    if (low < 0) {
        auto *zero = new QLineSeries(c);
        zero->setPen(QPen(QColor(0xc0, 0x00, 0x00), 1, Qt::DashLine));
        zero->append(-0.5, 0);
        zero->append(std::max<double>(dates.size(), 1) - 0.5, 0);
        c->addSeries(zero);
        zero->attachAxis(lineX);
        zero->attachAxis(axisY);
        const auto markers = c->legend()->markers(zero);
        for (QLegendMarker *marker : markers)
            marker->setVisible(false);
    }
}

bool ShikinChart::savePng(const QString &path)
{
    // Written beside the chosen name first, so a failure never leaves half a
    // picture under it.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && grab().save(&file, "PNG") && file.commit();
}
