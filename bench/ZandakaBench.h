#pragma once

#include <QString>

class BenchReport;

// The balance of notes payable at a date on a register of `notes` notes.
void benchZandaka(BenchReport &report, const QString &scratchFolder, int notes);
