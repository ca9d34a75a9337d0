#include "StoreBench.h"

#include "BenchReport.h"

#include <QString>

void benchStore(BenchReport &, const QString &, int)
{
}
