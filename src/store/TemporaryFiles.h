#pragma once

#include <QString>
#include <QStringList>

// The files the programs write under a temporary name before putting them in
// place: a database, copy or upgrade copy being built ("<name>.<8 hex>.new"
// and its -wal, -shm, -journal) and a saved file not yet complete
// (".~<name>.part", ".~<name>.<tag>.part"). One found when no program is at
// work in the folder was left by a program that was stopped.
class TemporaryFiles
{
public:
    // Removes those files from `folder` (not below it); the names removed.
    static QStringList removeStale(const QString &folder);
};
