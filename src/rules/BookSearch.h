#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

class Connection;

// The search of the book of record: notes by drawing date, due date and
// amount (each a range whose ends may be left open) and payee (a code, or
// part of a name), the conditions combined with AND. With the earlier
// contents included it also finds, in the change history, the notes as they
// stood before each correction and the notes deleted since.
class BookSearch
{
public:
    struct Conditions
    {
        QDate drawnFrom;
        QDate drawnTo;
        QDate dueFrom;
        QDate dueTo;
        std::optional<double> amountFrom;
        std::optional<double> amountTo;
        QString payee;
        bool includeEarlier = false;
    };

    enum class State { Current, Earlier, Deleted };

    struct Hit
    {
        State state = State::Current;
        QString number;
        QDate drawn;
        QDate due;
        QString payeeCode;
        QString payeeName;
        std::optional<double> amount;
        // For an earlier or deleted note: when it was corrected or deleted,
        // and the history row that holds it.
        QString changedAt;
        qint64 historyRow = 0;
    };

    // Current notes by drawing date and number, then the earlier contents by
    // the time of their change. Raises StoreError.
    static QList<Hit> find(Connection &connection, const Conditions &conditions);

    // 「現在」, 「訂正前」, 「削除済み」.
    static QString stateText(State state);
};
