#pragma once

#include <QString>

// The data-folder file next to the program: the first field of its first
// line names the data folder, or is the word "App.Path" for the program
// folder itself.
class DataFolderFile
{
public:
    struct Reading
    {
        enum class Status { Read, Unreadable, Empty };
        Status status = Status::Read;
        QString firstField;
        // Why the file could not be read.
        QString reason;
    };

    // The name the file is read under; it is found in any letter case.
    static QString fileName();

    // The path of the data-folder file in the program folder, or the empty
    // text when there is none. Only normal files count.
    static QString locate(const QString &programFolder);

    static Reading read(const QString &path);

    // The first comma-delimited field of one line: it ends at the first
    // comma, and a value in double quotes is taken without its quotes (so it
    // may hold commas). Blanks around an unquoted value are dropped.
    static QString firstField(const QString &line);
};
