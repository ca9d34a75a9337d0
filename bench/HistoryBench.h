#pragma once

class BenchReport;
class QString;

// The change history's cost: the note commands and the start-up state update
// with the history's triggers against the same work with them dropped, and
// the full check of the register against its history.
void benchHistory(BenchReport &report, const QString &scratchFolder, int largest);

// Fills the register at `path` with `count` notes numbered N0, N1, ..., every
// tenth due by 2025-03-31 in state "1", each with its registration in the
// history.
void fillHistoryNotes(const QString &path, int count);
