#pragma once

class BenchReport;
class QString;

// The office edition on a throwaway PostgreSQL cluster, each line against raw
// libpq doing the same work over the same socket: the push of a register of
// `largest` notes onto the server, the explorer's list of 100,000 notes, the
// payment plan over the whole register, and one-note work of a PC (call-up;
// call-up and a checked correction or settlement) through the record class.
void benchOffice(BenchReport &report, const QString &scratchFolder, int largest);
