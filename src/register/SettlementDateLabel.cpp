#include "SettlementDateLabel.h"

#include "DateSerial.h"
#include "DateTextBox.h"

#include <QHBoxLayout>
#include <QLineEdit>

SettlementDateLabel::SettlementDateLabel(DateTextBox *dueDate, const QString &dataFolder, QWidget *parent)
    : QLabel(parent)
    , m_dueDate(dueDate)
    , m_calendar(dataFolder)
{
    setObjectName(QStringLiteral("lblSettlementDate"));
    for (QLineEdit *part : {dueDate->yearPart(), dueDate->monthPart(), dueDate->dayPart()})
        connect(part, &QLineEdit::textChanged, this, &SettlementDateLabel::refresh);
    refresh();
}

QWidget *SettlementDateLabel::besideField(DateTextBox *dueDate, const QString &dataFolder, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(dueDate);
    layout->addWidget(new SettlementDateLabel(dueDate, dataFolder, row), 1);
    return row;
}

QString SettlementDateLabel::textFor(const QDate &due) const
{
    if (!due.isValid())
        return QString();
    const QDate paid = m_calendar.settlementDate(due);
    if (paid == due)
        return QString();
    static const QString weekdays = QStringLiteral("月火水木金土日");
    return QStringLiteral("実際の決済日 %1(%2)")
            .arg(paid.toString(QStringLiteral("yyyy/MM/dd")), weekdays.at(paid.dayOfWeek() - 1));
}

void SettlementDateLabel::refresh()
{
    const QDate due = DateSerial::fromParts(m_dueDate->Year(), m_dueDate->Month(), m_dueDate->Day());
    setText(textFor(due));
    // Holidays of a year the published list does not cover are computed.
    setToolTip(!text().isEmpty() && m_calendar.isProvisional(due.year())
                       ? QStringLiteral("この年の祝日は計算によるもので、祝日一覧ファイル（%1）にはありません。")
                                 .arg(HolidayFile::fileName())
                       : QString());
}
