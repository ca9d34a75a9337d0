#pragma once

class BenchReport;
class QString;

// The supplier store at 100,000 suppliers: one look-up, check, insert, change
// and delete on a fresh record object, and the filling of the supplier search
// list.
void benchMasters(BenchReport &report, const QString &scratchFolder);
