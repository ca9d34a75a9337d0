#include "QtDialogService.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon toQt(DialogService::Icon icon)
{
    switch (icon) {
    case DialogService::Icon::Critical:
        return QMessageBox::Critical;
    case DialogService::Icon::Question:
        return QMessageBox::Question;
    case DialogService::Icon::Exclamation:
        return QMessageBox::Warning;
    case DialogService::Icon::Information:
        return QMessageBox::Information;
    case DialogService::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

DialogService::Answer QtDialogService::message(const QString &text, const QString &title, Buttons buttons, Icon icon)
{
    // Texts carry CR LF line breaks; a label shows the CR as a stray glyph.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(toQt(icon), title, shown, QMessageBox::NoButton, QApplication::activeWindow());
    struct Choice
    {
        QString caption;
        QMessageBox::ButtonRole role;
        Answer answer;
    };
    QList<Choice> choices;
    const Choice ok{QStringLiteral("OK"), QMessageBox::AcceptRole, Answer::Ok};
    const Choice cancel{QStringLiteral("キャンセル"), QMessageBox::RejectRole, Answer::Cancel};
    const Choice yes{QStringLiteral("はい(&Y)"), QMessageBox::YesRole, Answer::Yes};
    const Choice no{QStringLiteral("いいえ(&N)"), QMessageBox::NoRole, Answer::No};
    switch (buttons) {
    case Buttons::Ok:
        choices = {ok};
        break;
    case Buttons::OkCancel:
        choices = {ok, cancel};
        break;
    case Buttons::YesNo:
    case Buttons::YesNoDefaultNo:
        choices = {yes, no};
        break;
    case Buttons::YesNoCancel:
        choices = {yes, no, cancel};
        break;
    case Buttons::RetryCancel:
        choices = {{QStringLiteral("再試行(&R)"), QMessageBox::AcceptRole, Answer::Retry}, cancel};
        break;
    }
    QList<QAbstractButton *> made;
    for (const Choice &c : choices)
        made << box.addButton(c.caption, c.role);
    box.setDefaultButton(qobject_cast<QPushButton *>(buttons == Buttons::YesNoDefaultNo ? made.last() : made.first()));
    box.setEscapeButton(made.last());
    box.exec();
    const qsizetype chosen = made.indexOf(box.clickedButton());
    return chosen < 0 ? choices.last().answer : choices.at(chosen).answer;
}

QString QtDialogService::input(const QString &prompt, const QString &title, const QString &defaultText)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("キャンセル"));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

void QtDialogService::beep()
{
    QApplication::beep();
}
