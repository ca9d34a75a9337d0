#include "DateTextBox.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {
constexpr std::array<int, 3> partLengths {4, 2, 2};
const std::array<const char *, 3> partNames {"year", "month", "day"};
}

DateTextBox::DateTextBox(QWidget *parent)
    : QFrame(parent)
{
    // Drawn as one text box holding the three parts.
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(0);
    auto *digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (int i = 0; i < 3; ++i) {
        auto *part = new QLineEdit(this);
        part->setObjectName(QLatin1String(partNames[i]));
        part->setFrame(false);
        part->setMaxLength(partLengths[i]);
        part->setValidator(digits);
        part->setAlignment(Qt::AlignCenter);
        part->setAttribute(Qt::WA_InputMethodEnabled, false);
        const QString widest(partLengths[i] + 1, QLatin1Char('0'));
        part->setFixedWidth(part->fontMetrics().horizontalAdvance(widest) + 4);
        part->installEventFilter(this);
        connect(part, &QLineEdit::textEdited, this, [this, i] { partEdited(i); });
        m_parts[i] = part;
        layout->addWidget(part);
        if (i < 2)
            layout->addWidget(new QLabel(QStringLiteral("/"), this));
    }
    layout->addStretch();
    setFocusProxy(m_parts[0]);
    setTabOrder(m_parts[0], m_parts[1]);
    setTabOrder(m_parts[1], m_parts[2]);
}

QString DateTextBox::Year() const { return m_parts[0]->text(); }
void DateTextBox::setYear(const QString &text) { m_parts[0]->setText(text); }
QString DateTextBox::Month() const { return m_parts[1]->text(); }
void DateTextBox::setMonth(const QString &text) { m_parts[1]->setText(text); }
QString DateTextBox::Day() const { return m_parts[2]->text(); }
void DateTextBox::setDay(const QString &text) { m_parts[2]->setText(text); }

void DateTextBox::setDate(const QDate &date)
{
    setYear(QString::number(date.year()));
    setMonth(QString::number(date.month()));
    setDay(QString::number(date.day()));
}

void DateTextBox::clear()
{
    for (QLineEdit *part : m_parts)
        part->clear();
}

int DateTextBox::partIndex(QObject *part) const
{
    for (int i = 0; i < 3; ++i) {
        if (m_parts[i] == part)
            return i;
    }
    return -1;
}

void DateTextBox::partEdited(int index)
{
    const QLineEdit *part = m_parts[index];
    if (index < 2 && part->text().size() == partLengths[index] && part->cursorPosition() == part->text().size())
        moveTo(index + 1, true, false);
}

void DateTextBox::moveTo(int index, bool selectAll, bool atEnd)
{
    QLineEdit *part = m_parts[index];
    part->setFocus(Qt::OtherFocusReason);
    if (selectAll)
        part->selectAll();
    else
        part->setCursorPosition(atEnd ? int(part->text().size()) : 0);
}

bool DateTextBox::eventFilter(QObject *watched, QEvent *event)
{
    const int index = partIndex(watched);
    if (index < 0 || event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const QLineEdit *part = m_parts[index];
    const bool atStart = part->cursorPosition() == 0 && !part->hasSelectedText();
    const bool atEnd = part->cursorPosition() == part->text().size() && !part->hasSelectedText();
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return QFrame::eventFilter(watched, event);
    switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Left:
        if (atStart && index > 0) {
            moveTo(index - 1, false, true);
            return true;
        }
        break;
    case Qt::Key_Right:
        if (atEnd && index < 2) {
            moveTo(index + 1, false, false);
            return true;
        }
        break;
    case Qt::Key_Slash:
    case Qt::Key_Minus:
    case Qt::Key_Period:
    case Qt::Key_Space:
        // A separator typed after a short part ("2024/4/5") moves on.
        if (index < 2 && !part->text().isEmpty())
            moveTo(index + 1, true, false);
        return true;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}
