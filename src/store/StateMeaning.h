#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

class Connection;

// What a note state means for the money, kept with each row of the state
// table (Kbn3.KbnKesai): the funding plan, the journal and the warnings go by
// it, so that a state's name is the user's own. Today's settlement alone
// still counts the name 「決済済み」.
class StateMeaning
{
public:
    enum Meaning {
        Waiting = 0,     // 未決済: the bank has still to pay it
        Paid = 1,        // 決済済み: paid by the bank
        Void = 2,        // 無効: cancelled or replaced by a renewal; never presented
        Dishonoured = 3, // 不渡り
    };

    static QString column();
    static QString name(Meaning meaning);
    // The four names in the order of Meaning.
    static QStringList names();
    // A stored value; anything unknown is Waiting.
    static Meaning fromValue(const QVariant &value);
    // The meaning a state's name suggests, for a register whose states carry
    // none yet: 不渡 dishonoured, 取消/書換/無効 void, 決済済 paid, else waiting.
    static Meaning fromName(const QString &stateName);

    // "IFNULL(alias.KbnKesai, 0)": the meaning of a note's state in a
    // statement that joins Kbn3 as `alias` (a note without a state waits).
    static QString sqlOf(const QString &alias);

    // The meaning of every state code, by the code folded to lower case.
    // Raises StoreError.
    static QHash<QString, Meaning> load(Connection &connection);

    struct Marked
    {
        QStringList marked;  // "code name: meaning" of the rows given a meaning
        QStringList waiting; // "code name" of the rows left as 未決済
        bool isEmpty() const { return marked.isEmpty() && waiting.isEmpty(); }
    };
    // Gives every state row the meaning its name suggests. Raises StoreError.
    static Marked markFromNames(Connection &connection);
    // The closing text of an upgrade or import that marked the states.
    static QString markedText(const Marked &marked);
};
