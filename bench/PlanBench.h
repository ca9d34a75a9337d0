#pragma once

class BenchReport;
class QString;

// The payment plan by payee: 2,000 payees and 365 due dates over `notes`
// notes. The cross-tab query and its pivot, the window's load to the grid on
// screen, and 表示 for one category, beside raw SQLite running the same
// grouped query and reading every column.
void benchPlan(BenchReport &report, const QString &scratchFolder, int notes);
