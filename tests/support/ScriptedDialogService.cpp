#include "ScriptedDialogService.h"

#include <algorithm>

DialogService::Answer ScriptedDialogService::message(const QString &text, const QString &title, Buttons buttons, Icon icon)
{
    m_calls.append({Call::Kind::Message, text, title, buttons, icon, QString(), QString()});
    if (!m_answers.isEmpty())
        return m_answers.dequeue();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    ++m_unexpected;
    switch (buttons) {
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::Yes;
    case Buttons::RetryCancel:
        return Answer::Retry;
    case Buttons::YesNoDefaultNo:
        return Answer::No;
    default:
        return Answer::Ok;
    }
}

DialogService::Answer ScriptedDialogService::detailedMessage(const QString &text, const QString &details,
                                                             const QString &title, Buttons buttons, Icon icon)
{
    const Answer answer = message(text, title, buttons, icon);
    m_calls.last().details = details;
    return answer;
}

QString ScriptedDialogService::input(const QString &prompt, const QString &title, const QString &defaultText)
{
    m_calls.append({Call::Kind::Input, prompt, title, Buttons::OkCancel, Icon::None, defaultText, QString()});
    if (m_inputs.isEmpty()) {
        ++m_unexpected;
        return QString();
    }
    return m_inputs.dequeue();
}

void ScriptedDialogService::beep()
{
    m_calls.append({Call::Kind::Beep, QString(), QString(), Buttons::Ok, Icon::None, QString(), QString()});
}

QString ScriptedDialogService::saveFileName(const QString &title, const QString &suggestedPath, const QStringList &,
                                           QString *chosenFilter)
{
    m_calls.append({Call::Kind::SaveFile, title, title, Buttons::OkCancel, Icon::None, suggestedPath, QString()});
    if (m_saveFiles.isEmpty()) {
        ++m_unexpected;
        return QString();
    }
    const auto [path, filter] = m_saveFiles.dequeue();
    if (chosenFilter && !filter.isEmpty())
        *chosenFilter = filter;
    return path;
}

QList<ScriptedDialogService::Call> ScriptedDialogService::messages() const
{
    QList<Call> result;
    for (const Call &c : m_calls) {
        if (c.kind == Call::Kind::Message)
            result << c;
    }
    return result;
}

QStringList ScriptedDialogService::messageTexts() const
{
    QStringList result;
    for (const Call &c : messages())
        result << c.text;
    return result;
}

int ScriptedDialogService::beeps() const
{
    return int(std::count_if(m_calls.begin(), m_calls.end(), [](const Call &c) { return c.kind == Call::Kind::Beep; }));
}

void ScriptedDialogService::clear()
{
    m_calls.clear();
    m_answers.clear();
    m_inputs.clear();
    m_saveFiles.clear();
    m_unexpected = 0;
}
