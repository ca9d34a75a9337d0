#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

class Connection;

// A bank's current-account balance as of a date: the balance in the morning
// of that day, before the day's notes are paid. Every date entered is kept,
// so the history stays; entering a date again replaces that day's figure.
class BankBalance
{
public:
    QString bank;
    QDate date;
    double zan = 0;

    // A balance typed by the user: whole yen with an optional sign and
    // digit-group commas, full-width digits as the input method types them,
    // at most twelve digits. None for any other text.
    static std::optional<qint64> parseYen(const QString &text);

    // Raises StoreError.
    static void save(const QString &dataFolder, const QString &bank, const QDate &date, double zan);
    // The balance entered for the bank and date, if any. Raises StoreError.
    static std::optional<double> find(const QString &dataFolder, const QString &bank, const QDate &date);
    // Every balance entered, by bank code and date. Raises StoreError.
    static QList<BankBalance> all(const QString &dataFolder);
    // Removes the balance of the bank and date. Raises StoreError.
    static void remove(const QString &dataFolder, const QString &bank, const QDate &date);
    // Every balance dated on or before `until`, by bank code and date.
    static QList<BankBalance> upTo(Connection &connection, const QDate &until);
};
