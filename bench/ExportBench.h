#pragma once

class BenchReport;
class QString;

// Saving the explorer's list of 100,000 notes through its 「Excel 保存」 as a
// workbook and as CSV (UTF-8 and Shift_JIS), and the journal of the same
// notes, each beside raw SQLite reading the same rows; the growth of the
// peak memory while the workbook is written.
void benchExport(BenchReport &report, const QString &scratchFolder);
