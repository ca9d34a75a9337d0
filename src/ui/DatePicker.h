#pragma once

#include <QDateEdit>

// The date picker of the inquiry windows: yyyy/mm/dd with a calendar. Besides
// the picker's own editing by year, month and day, a date can be typed whole
// from the year on, as 2026/05/01, 2026-05-01, 2026.5.1 or 20260501, in
// half-width or full-width digits. The date is taken as soon as the text
// names one (four digits alone name the year); leaving the picker shows it
// again as yyyy/mm/dd, or gives back the date from before when the text
// names none. Tab leaves the picker in one step instead of walking
// through its parts.
class DatePicker : public QDateEdit
{
    Q_OBJECT

public:
    explicit DatePicker(QWidget *parent = nullptr);

    // The date a typed text names, or an invalid date.
    static QDate parse(const QString &typed);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    QValidator::State validate(QString &input, int &pos) const override;

private:
    QDate typedDate() const;
    void showTyped();
    void take();
    void leave(bool forward);

    // The text typed whole, while it is typed, and the date before it.
    QString m_typed;
    QDate m_before;
    bool m_typing = false;
};
