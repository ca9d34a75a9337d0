#pragma once

#include <QDate>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

class Connection;

// What the change history holds about notes: each registration, correction
// and deletion with every column before and after, read back as versions of
// one note (followed across changes of its number) or as the changes of a
// period, with the columns a change touched.
class NoteHistory
{
public:
    struct Entry
    {
        qint64 row = 0;
        QString at; // yyyy-MM-dd HH:mm:ss
        QString user;
        QString source;
        QString action; // 開始, 登録, 訂正, 削除
        QJsonObject before;
        QJsonObject after;
        // The columns whose value a correction changed.
        QStringList changed;

        // The note as this entry leaves it; for a deletion, as it was.
        QJsonObject shown() const { return after.isEmpty() ? before : after; }
        bool isDeletion() const { return after.isEmpty() && !before.isEmpty(); }
    };

    // The columns of a note in the order they are shown, with their captions.
    static const QStringList &columns();
    static QString caption(const QString &column);

    // The whole life of one note, oldest first: from its registration (or the
    // opening row) through every correction, its number included, to its
    // deletion. `historyRow` names a row of that life when the note is no
    // longer current under `number` (an earlier version or a deleted note);
    // 0 means the note now registered under `number`. Raises StoreError.
    static QList<Entry> ofNote(Connection &connection, const QString &number, qint64 historyRow = 0);

    // Every registration, correction and deletion of notes made on the days
    // from `from` to `to`, oldest first, with the day each note was
    // registered (invalid when it was there before the history began).
    struct Change
    {
        Entry entry;
        QDate registered;
    };
    static QList<Change> between(Connection &connection, const QDate &from, const QDate &to);

    // The columns whose values differ.
    static QStringList changedColumns(const QJsonObject &before, const QJsonObject &after);
    // A value as the lists show it: dates yyyy/MM/dd, amounts with digit groups.
    static QString valueText(const QString &column, const QJsonValue &value);
    // 「金額 100,000 → 120,000、決済日 2026/05/31 → 2026/06/30」
    static QString changeText(const Entry &entry);
};
