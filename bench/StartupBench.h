#pragma once

class BenchReport;
class QString;

// Launch to main menu shown with 100,000 notes (and the demo's suppliers in
// the search list the menu loads): the splash, the data-folder file, the
// state update and the main menu, against raw SQLite opening the database
// and running the same state update.
void benchStartup(BenchReport &report, const QString &scratchFolder);
