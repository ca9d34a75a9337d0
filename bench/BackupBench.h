#pragma once

class BenchReport;
class QString;

// The daily backup of the database: the online copy, its check and the
// rename, against the engine's bare online copy of the same file.
void benchBackup(BenchReport &report, const QString &scratchFolder, int notes);
