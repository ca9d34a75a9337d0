#pragma once

#include "ui/DialogService.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <utility>

// A dialog service for tests: records every call and gives the answer queued
// for it. A message with no queued answer is answered with its default button
// and counted as unexpected when it asks a question.
class ScriptedDialogService : public DialogService
{
public:
    struct Call
    {
        enum class Kind { Message, Input, Beep, SaveFile };
        Kind kind = Kind::Message;
        QString text;
        QString title;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        QString defaultText;
        QString details;
    };

    Answer message(const QString &text, const QString &title, Buttons buttons, Icon icon) override;
    Answer detailedMessage(const QString &text, const QString &details, const QString &title, Buttons buttons,
                           Icon icon) override;
    QString input(const QString &prompt, const QString &title, const QString &defaultText) override;
    void beep() override;
    // The file chooser: the text is the title, defaultText the suggested
    // path; answered with the queued path and filter (none: cancelled).
    QString saveFileName(const QString &title, const QString &suggestedPath, const QStringList &filters,
                         QString *chosenFilter) override;

    void queueAnswer(Answer answer) { m_answers.enqueue(answer); }
    void queueInput(const QString &text) { m_inputs.enqueue(text); }
    // An empty filter keeps the one the caller showed first.
    void queueSaveFile(const QString &path, const QString &filter = QString())
    {
        m_saveFiles.enqueue({path, filter});
    }

    const QList<Call> &calls() const { return m_calls; }
    // Only the message boxes, in order.
    QList<Call> messages() const;
    QStringList messageTexts() const;
    int beeps() const;
    // Questions and input boxes that found no queued answer.
    int unexpected() const { return m_unexpected; }
    void clear();

private:
    QList<Call> m_calls;
    QQueue<Answer> m_answers;
    QQueue<QString> m_inputs;
    QQueue<std::pair<QString, QString>> m_saveFiles;
    int m_unexpected = 0;
};
