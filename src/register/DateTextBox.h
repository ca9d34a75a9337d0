#pragma once

#include <QDate>
#include <QFrame>
#include <QString>

#include <array>

class QLineEdit;

// A date typed as three parts, year / month / day, each read and written as
// text. Only digits can be typed; a full part moves the cursor on to the next
// one, and Backspace or Left at the start of a part moves back to the one
// before. The parts are not checked here: the screen builds the date.
class DateTextBox : public QFrame
{
    Q_OBJECT

public:
    explicit DateTextBox(QWidget *parent = nullptr);

    QString Year() const;
    void setYear(const QString &text);
    QString Month() const;
    void setMonth(const QString &text);
    QString Day() const;
    void setDay(const QString &text);

    // Each part as plain decimal text ("2024", "4", "5").
    void setDate(const QDate &date);
    // Three empty parts.
    void clear();

    QLineEdit *yearPart() const { return m_parts[0]; }
    QLineEdit *monthPart() const { return m_parts[1]; }
    QLineEdit *dayPart() const { return m_parts[2]; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int partIndex(QObject *part) const;
    void partEdited(int index);
    void moveTo(int index, bool selectAll, bool atEnd);

    std::array<QLineEdit *, 3> m_parts {};
};
