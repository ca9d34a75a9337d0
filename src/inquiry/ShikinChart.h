#pragma once

#include <QChartView>

class FundingPlan;

// The funding plan as a chart: the notes paid each day as bars stacked by
// bank, and each bank's running balance as a line, in thousands of yen.
class ShikinChart : public QChartView
{
    Q_OBJECT

public:
    explicit ShikinChart(QWidget *parent = nullptr);

    void setPlan(const FundingPlan &plan);
    // False when the file cannot be written.
    bool savePng(const QString &path);
};
