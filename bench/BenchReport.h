#pragma once

#include <QList>
#include <QString>

#include <functional>

// Collects benchmark figures and prints them as one table: each operation's
// median time beside the same work done by a baseline (raw SQLite) in the
// same run, and their ratio.
class BenchReport
{
public:
    // Median wall time of `runs` calls, in milliseconds.
    static double medianMs(int runs, const std::function<void()> &work);
    // Peak resident memory of the process so far, in megabytes (Linux only; 0 elsewhere).
    static double peakMegabytes();

    // baselineMs <= 0 means the row has no baseline.
    void add(const QString &section, const QString &operation, double medianMs, double baselineMs,
             const QString &note = QString());
    void print() const;

private:
    struct Row
    {
        QString section;
        QString operation;
        double medianMs;
        double baselineMs;
        QString note;
    };
    QList<Row> m_rows;
};
