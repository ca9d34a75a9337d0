#include "DatePicker.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

#include <algorithm>

namespace {

// A typed character as the picker reads it: full-width digits and
// separators as their half-width forms; 0 for anything else.
QChar dateCharacter(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'０' && u <= u'９')
        return QChar(char16_t(u - 0xFEE0));
    if (u == u'／' || u == u'－' || u == u'．')
        return QChar(char16_t(u - 0xFEE0));
    if ((u >= u'0' && u <= u'9') || u == u'/' || u == u'-' || u == u'.')
        return c;
    return QChar();
}

} // namespace

DatePicker::DatePicker(QWidget *parent)
    : QDateEdit(parent)
{
    setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    setCalendarPopup(true);
}

QDate DatePicker::parse(const QString &typed)
{
    static const QRegularExpression whole(QStringLiteral(R"(^(\d{4})(\d{2})(\d{2})$)"));
    static const QRegularExpression parts(QStringLiteral(R"(^(\d{4})([/.-])(\d{1,2})\2(\d{1,2})$)"));
    if (const QRegularExpressionMatch m = whole.match(typed); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (const QRegularExpressionMatch m = parts.match(typed); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    return QDate();
}

void DatePicker::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    const QChar c = text.size() == 1 ? dateCharacter(text.at(0)) : QChar();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    // A whole date is typed from the year on; in the month or the day the
    // picker edits that part as usual.
    if (plain && !c.isNull() && (m_typing || currentSection() == QDateTimeEdit::YearSection)) {
        if (!m_typing) {
            m_typed.clear();
            m_before = date();
        }
        m_typing = true;
        m_typed += c;
        showTyped();
        return;
    }
    if (m_typing && event->key() == Qt::Key_Backspace) {
        m_typed.chop(1);
        showTyped();
        return;
    }
    if (m_typing)
        take();
    if (!c.isNull() && c != text.at(0)) {
        // Full-width digits edit a part as the digits they are.
        const int key = c == QLatin1Char('/') ? int(Qt::Key_Slash) : c.isDigit() ? int(Qt::Key_0) + c.digitValue() : event->key();
        QKeyEvent narrow(event->type(), key, event->modifiers(), QString(c));
        QDateEdit::keyPressEvent(&narrow);
        return;
    }
    QDateEdit::keyPressEvent(event);
}

void DatePicker::inputMethodEvent(QInputMethodEvent *event)
{
    // With the input method on, digits come committed; they are read as
    // typed keys.
    if (!event->commitString().isEmpty() && event->preeditString().isEmpty()) {
        for (const QChar c : event->commitString()) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            keyPressEvent(&key);
        }
        event->accept();
        return;
    }
    QDateEdit::inputMethodEvent(event);
}

void DatePicker::focusOutEvent(QFocusEvent *event)
{
    if (m_typing)
        take();
    QDateEdit::focusOutEvent(event);
}

bool DatePicker::event(QEvent *event)
{
    // The picker's own Tab walks through year, month and day first.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            leave(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return QDateEdit::event(event);
}

bool DatePicker::focusNextPrevChild(bool next)
{
    leave(next);
    return true;
}

void DatePicker::leave(bool forward)
{
    if (m_typing)
        take();
    // The next control of the window that takes Tab, passing over the
    // picker's own editing box.
    QWidget *next = this;
    do {
        next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
    } while (next != this
             && (isAncestorOf(next) || !(next->focusPolicy() & Qt::TabFocus) || !next->isEnabled()
                 || !next->isVisibleTo(window())));
    if (next != this)
        next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

QValidator::State DatePicker::validate(QString &input, int &pos) const
{
    // While a date is typed whole the text is the user's own.
    if (m_typing)
        return QValidator::Intermediate;
    return QDateEdit::validate(input, pos);
}

QDate DatePicker::typedDate() const
{
    QDate typed = parse(m_typed);
    // Four digits alone are the year, as the picker's own year part takes them.
    if (!typed.isValid() && m_typed.size() == 4 && m_typed.toInt() > 0) {
        const QDate month(m_typed.toInt(), date().month(), 1);
        typed = month.addDays(std::min(date().day(), month.daysInMonth()) - 1);
    }
    return typed.isValid() && typed >= minimumDate() && typed <= maximumDate() ? typed : QDate();
}

void DatePicker::showTyped()
{
    // The date is taken as soon as the text names one; the text stays as typed.
    if (const QDate typed = typedDate(); typed.isValid() && typed != date())
        setDate(typed);
    lineEdit()->setText(m_typed);
}

void DatePicker::take()
{
    const QDate typed = typedDate();
    m_typing = false;
    m_typed.clear();
    // A text that names no date gives back the date from before it.
    setDate(typed.isValid() ? typed : m_before);
    lineEdit()->setText(textFromDateTime(dateTime()));
}
