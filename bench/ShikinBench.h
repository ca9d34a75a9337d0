#pragma once

class BenchReport;
class QString;

// The funding plan: `notes` notes at 10 banks over 1,000 due dates, a
// 60-day plan built from the grouped query over the due dates (settlement
// days and running balances included) and the window's 表示 to the list and
// chart on screen, beside raw SQLite running the same grouped query.
void benchShikin(BenchReport &report, const QString &scratchFolder, int notes);
