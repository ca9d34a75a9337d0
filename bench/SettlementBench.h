#pragma once

class BenchReport;
class QString;

// Today's settlement over `notes` notes, about 300 falling due on each day:
// listing one day (all banks and one bank) and settling one note, each from
// the click to the rebuilt list and totals, against raw SQLite reading the
// same rows and writing the same state.
void benchSettlement(BenchReport &report, const QString &scratchFolder, int notes);
