#include "BenchReport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <vector>

double BenchReport::medianMs(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    times.reserve(size_t(runs));
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double BenchReport::peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

void BenchReport::add(const QString &section, const QString &operation, double medianMs, double baselineMs,
                      const QString &note)
{
    m_rows.append({section, operation, medianMs, baselineMs, note});
    QTextStream(stderr) << "  " << section << " / " << operation << ": " << QString::number(medianMs, 'f', 3)
                        << " ms" << Qt::endl;
}

void BenchReport::print() const
{
    QTextStream out(stdout);
    out << "| section | operation | median ms | baseline ms | ratio | note |\n";
    out << "|---|---|---:|---:|---:|---|\n";
    for (const Row &r : m_rows) {
        const QString baseline = r.baselineMs > 0 ? QString::number(r.baselineMs, 'f', 3) : QStringLiteral("-");
        const QString ratio = r.baselineMs > 0 ? QString::number(r.medianMs / r.baselineMs, 'f', 2) : QStringLiteral("-");
        out << "| " << r.section << " | " << r.operation << " | " << QString::number(r.medianMs, 'f', 3) << " | "
            << baseline << " | " << ratio << " | " << r.note << " |\n";
    }
    out.flush();
}
