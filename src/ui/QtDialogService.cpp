#include "QtDialogService.h"

#include "NormalCursor.h"

#include <QApplication>
#include <QFileDialog>
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

QWidget *QtDialogService::owner()
{
    QWidget *window = QApplication::activeWindow();
    if (qobject_cast<QMessageBox *>(window) || qobject_cast<QInputDialog *>(window))
        window = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (!window && m_lastOwner && m_lastOwner->isVisible())
        window = m_lastOwner;
    if (window)
        m_lastOwner = window;
    return window;
}

// Shown over the owner's middle, also where the window manager would not
// place a box.
static void centreOver(QDialog &box, const QWidget *owner)
{
    if (!owner)
        return;
    box.adjustSize();
    const QRect frame = owner->frameGeometry();
    box.move(frame.center() - QPoint(box.width() / 2, box.height() / 2));
}

DialogService::Answer QtDialogService::message(const QString &text, const QString &title, Buttons buttons, Icon icon)
{
    return detailedMessage(text, QString(), title, buttons, icon);
}

DialogService::Answer QtDialogService::detailedMessage(const QString &text, const QString &details,
                                                       const QString &title, Buttons buttons, Icon icon)
{
    // Texts carry CR LF line breaks; a label shows the CR as a stray glyph.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const NormalCursor normal;
    QWidget *parent = owner();
    QMessageBox box(toQt(icon), title, shown, QMessageBox::NoButton, parent);
    if (!details.isEmpty())
        box.setDetailedText(details);
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
    centreOver(box, parent);
    box.exec();
    const qsizetype chosen = made.indexOf(box.clickedButton());
    return chosen < 0 ? choices.last().answer : choices.at(chosen).answer;
}

QString QtDialogService::input(const QString &prompt, const QString &title, const QString &defaultText)
{
    const NormalCursor normal;
    QWidget *parent = owner();
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("キャンセル"));
    centreOver(dialog, parent);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

void QtDialogService::beep()
{
    QApplication::beep();
}

QString QtDialogService::saveFileName(const QString &title, const QString &suggestedPath, const QStringList &filters,
                                      QString *chosenFilter)
{
    const NormalCursor normal;
    // Replacing an existing file is asked by the caller, through this
    // service, so the chooser does not ask as well.
    return QFileDialog::getSaveFileName(owner(), title, suggestedPath, filters.join(QStringLiteral(";;")),
                                        chosenFilter, QFileDialog::DontConfirmOverwrite);
}
