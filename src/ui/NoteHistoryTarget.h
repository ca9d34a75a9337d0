#pragma once

#include <QString>

// The window that shows the change history of a note (帳簿検索), as the note
// entry window reaches it for the called-up note without knowing it.
class NoteHistoryTarget
{
public:
    virtual ~NoteHistoryTarget() = default;

    // Shows the whole history of the note now registered under `number`.
    virtual void showNoteHistory(const QString &number) = 0;
};
