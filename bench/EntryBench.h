#pragma once

class BenchReport;
class QString;

// The note entry window at 100,000 notes: register, call up and save, each
// from the click to the window's end state, against raw SQLite running the
// same single-row statements.
void benchEntry(BenchReport &report, const QString &scratchFolder);
