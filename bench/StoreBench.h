#pragma once

class BenchReport;
class QString;

// The note store at 10,000, 100,000 and 1,000,000 notes: one look-up, check,
// insert, change and delete on a fresh record object, and the state update.
void benchStore(BenchReport &report, const QString &scratchFolder, int largest);
