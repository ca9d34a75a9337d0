#pragma once

class BenchReport;
class QString;

// The book search: `notes` notes of 200 payees with their history (every
// tenth note corrected, every hundredth deleted), searched by an amount range
// and part of a payee's name with the earlier contents included, beside raw
// SQLite running the same two statements.
void benchBookSearch(BenchReport &report, const QString &scratchFolder, int notes);
