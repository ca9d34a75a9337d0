#pragma once

#include <QString>
#include <QStringList>

class StoreError;

// Every modal message box, question and input box of the application goes
// through this service, so that tests can script the answers and check what
// was shown.
class DialogService
{
public:
    enum class Icon { None, Critical, Question, Exclamation, Information };
    // YesNoDefaultNo: はい and いいえ with いいえ as the default button, for a
    // question whose hasty Enter must not do the irreversible thing.
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, YesNoDefaultNo };
    enum class Answer { Ok, Cancel, Yes, No, Retry };

    virtual ~DialogService() = default;

    virtual Answer message(const QString &text, const QString &title, Buttons buttons, Icon icon) = 0;

    // A message whose `details` the user opens under 「詳細」; where the
    // service cannot fold them away they follow the text.
    virtual Answer detailedMessage(const QString &text, const QString &details, const QString &title, Buttons buttons,
                                   Icon icon);

    // The text typed, or the empty text when the user cancels.
    virtual QString input(const QString &prompt, const QString &title, const QString &defaultText = QString()) = 0;

    virtual void beep() = 0;

    // The name of a file to save, asked with the system's file chooser:
    // `filters` as "説明 (*.ext)", the one chosen given back through
    // `chosenFilter` (which also carries the one shown first). The empty text
    // when the user cancels. The chooser does not ask about an existing file;
    // the caller does (confirmReplace).
    virtual QString saveFileName(const QString &title, const QString &suggestedPath, const QStringList &filters,
                                 QString *chosenFilter);

    // Asks before an existing file is replaced; true when it may be written.
    bool confirmReplace(const QString &path);

    // A failure of the database at the boundary of the user's action:
    // a message titled "警告" with the explanation in Japanese, the engine's
    // own words under 「詳細」. A database another program holds locked is
    // explained as such.
    void showStoreError(const StoreError &error);

    static QString lockedText();
    // `text`, followed by lockedText() when the engine's words say that the
    // database is locked.
    static QString withLockedNote(const QString &text, const QString &engineMessage);
};
