#pragma once

class BenchReport;
class QString;

// The note explorer over notes due on about 3,650 distinct dates: opening
// the window with its due-date tree and clicking the root (every note listed
// and painted) at 100,000 notes, and a search for one month of one bank at
// `largest` notes, each beside raw SQLite reading the same rows.
void benchExplorer(BenchReport &report, const QString &scratchFolder, int largest);
