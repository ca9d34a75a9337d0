#pragma once

#include <functional>
#include <utility>

class BenchReport;
class QString;

// The note store at 10,000, 100,000 and 1,000,000 notes: one look-up, check,
// insert, change and delete on a fresh record object, and the state update.
void benchStore(BenchReport &report, const QString &scratchFolder, int largest);

// The median of three runs of the start-up state update (notes due by
// 2025-03-31 moved from state 1 to 2) through the record class and through
// raw SQLite, each run prepared by its own function.
std::pair<double, double> stateUpdateMedians(const QString &folder, const QString &path,
                                             const std::function<void()> &beforeProgram,
                                             const std::function<void()> &beforeRaw);
