#pragma once

#include <QDate>
#include <QString>

class Connection;

// The part of the demo data that shows the rules for notes at work:
// electronic records with their 20-character record numbers, a few paper
// notes of a long term (some due after the clearing house stops taking
// paper), and two small subcontractors covered by the subcontract law, paid
// by note on paper a few times after the law came in and before it.
class DemoRuleNotes
{
public:
    // Adds the two subcontractors and, when the demo has notes at all, the
    // notes above, numbered on from `nextNumber`. The same every time for
    // the same arguments.
    static void add(Connection &c, int notes, const QDate &today, int nextNumber);

    // The 20-character record number of the demo's electronic record with
    // the serial number `serial`.
    static QString recordNumber(const QDate &drawn, int serial);
};
