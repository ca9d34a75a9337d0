#pragma once

#include <QString>
#include <QTextStream>

#include <functional>
#include <random>

class RibodoClass;

// One client of the office check: a process that works on the shared register
// as one PC would, a random mix of registering, calling up, correcting,
// settling and deleting notes from a small pool of numbers (so that clients
// meet on the same notes) and searching like the explorer. Every action is
// written to the output as one tab-separated line:
// action, microseconds, outcome, note number, version called up, source.
class OfficeClient
{
public:
    OfficeClient(QString dataFolder, int client, unsigned seed);

    // The pool of note numbers every client draws from.
    static QString poolNumber(int i);
    static constexpr int poolSize = 60;

    void run(int actions, QTextStream &out);

private:
    struct Outcome
    {
        QString result; // ok, conflict, duplicate, exists, missing, error
        QString number;
        qint64 version = -1;
    };

    Outcome registerNote(const QString &number);
    Outcome callUp(const QString &number);
    Outcome correct(const QString &number);
    Outcome settle(const QString &number);
    Outcome remove(const QString &number);
    Outcome search();
    // Calls the note up, waits like a user, then writes; the outcome names
    // the version called up.
    Outcome afterCallUp(const QString &number, const std::function<void(RibodoClass &)> &write);
    // A PC waits a moment between the call-up and the change; so do the
    // clients, so that others can change the note in between.
    void pause();

    QString m_dataFolder;
    int m_client;
    std::mt19937 m_random;
};
