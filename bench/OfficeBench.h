#pragma once

class BenchReport;
class QString;

// The office edition on a throwaway PostgreSQL cluster: the push of a
// register onto the server, and one-note work of a PC (call-up; call-up and
// a checked correction or settlement) through the record class against raw
// libpq sending the same statements over the same socket.
void benchOffice(BenchReport &report, const QString &scratchFolder, int largest);
