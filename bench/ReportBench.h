#pragma once

class BenchReport;
class QString;

// The notes book (report 10) at 10,000 and 100,000 notes: the viewer's load
// to the first page on screen, the whole layout, and saving every page as
// PDF, beside raw SQLite reading the same rows in the same order.
void benchReports(BenchReport &report, const QString &scratchFolder);
