#include "NoteWarningPanel.h"

#include "AmountText.h"
#include "CodeItem.h"
#include "DateSerial.h"
#include "DateTextBox.h"

#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/DialogService.h"
#include "rules/NoteRules.h"
#include "store/Recordset.h"
#include "store/RibodoKbns.h"
#include "store/SireCliantClass.h"
#include "store/StoreError.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

namespace {

QLabel *warningLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setStyleSheet(QStringLiteral("color: #b00000;"));
    label->setVisible(false);
    return label;
}

QDate dateOf(const DateTextBox *box)
{
    return DateSerial::fromParts(box->Year(), box->Month(), box->Day());
}

} // namespace

NoteWarningPanel::NoteWarningPanel(AppContext &ctx, const Fields &fields, QWidget *parent)
    : QWidget(parent)
    , m_ctx(ctx)
    , m_fields(fields)
{
    setObjectName(QStringLiteral("NoteWarningPanel"));
    lblTerm = new QLabel(this);
    lblTerm->setObjectName(QStringLiteral("lblTerm"));
    lblLongTerm = new QLabel(NoteRules::warning(NoteRules::Kind::LongTerm).reason, this);
    lblLongTerm->setObjectName(QStringLiteral("lblLongTerm"));
    lblLongTerm->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    lblLongTerm->setVisible(false);
    lblStampDuty = new QLabel(this);
    lblStampDuty->setObjectName(QStringLiteral("lblStampDuty"));
    lblClearing = warningLabel(this, "lblClearing");
    lblSubcontract = warningLabel(this, "lblSubcontract");

    auto *term = new QHBoxLayout;
    term->setContentsMargins(0, 0, 0, 0);
    term->addWidget(lblTerm);
    term->addWidget(lblLongTerm);
    term->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(term);
    layout->addWidget(lblStampDuty);
    layout->addWidget(lblClearing);
    layout->addWidget(lblSubcontract);
    layout->addStretch();
    // The warnings wrap in a narrow column instead of widening the window.
    setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("期日が2027年3月31日より後の紙の")));

    loadElectronicKinds();
    connect(m_fields.kind, &QComboBox::currentIndexChanged, this, &NoteWarningPanel::refresh);
    for (QLineEdit *box : {m_fields.payeeCode, m_fields.amount})
        connect(box, &QLineEdit::textChanged, this, &NoteWarningPanel::refresh);
    for (DateTextBox *box : {m_fields.drawn, m_fields.due}) {
        for (QLineEdit *part : {box->yearPart(), box->monthPart(), box->dayPart()})
            connect(part, &QLineEdit::textChanged, this, &NoteWarningPanel::refresh);
    }
    refresh();
}

// Read once, as the window's lists are; a register that cannot be read shows
// every kind as paper.
void NoteWarningPanel::loadElectronicKinds()
{
    try {
        RibodoKbns kinds;
        kinds.setKbnTblNo(0);
        kinds.setDirPath(m_ctx.values().dataFolder());
        kinds.CntDb();
        Recordset &rs = kinds.RsEd();
        const QString flag = QStringLiteral("KbnDenshi");
        if (!rs.fieldNames().contains(flag, Qt::CaseInsensitive) || (rs.bof() && rs.eof()))
            return;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            if (rs.value(flag).toInt() != 0)
                m_electronicKinds.insert(rs.value(QStringLiteral("KbnCode")).toString());
        }
    } catch (const StoreError &) {
        m_electronicKinds.clear();
    }
}

bool NoteWarningPanel::isElectronic() const
{
    if (m_fields.kind->currentIndex() < 0)
        return false;
    return m_electronicKinds.contains(CodeItem::cutAtFirstSpace(m_fields.kind->currentText()));
}

bool NoteWarningPanel::payeeCovered()
{
    const QString code = m_fields.payeeCode->text();
    if (code == m_payee)
        return m_payeeCovered;
    m_payee = code;
    m_payeeCovered = false;
    if (code.isEmpty())
        return false;
    SireCliantClass supplier;
    supplier.setDirPath(m_ctx.values().dataFolder());
    try {
        supplier.CntDb();
    } catch (const StoreError &) {
        return false;
    }
    supplier.setCliantCode(code);
    supplier.SearchRs();
    m_payeeCovered = supplier.CliantCode() != QLatin1String("X") && supplier.ClTekiho();
    return m_payeeCovered;
}

void NoteWarningPanel::refresh()
{
    const bool electronic = isElectronic();
    const QDate drawn = dateOf(m_fields.drawn);
    const QDate due = dateOf(m_fields.due);
    const QLocale locale(QLocale::Japanese, QLocale::Japan);

    if (drawn.isValid() && due.isValid())
        lblTerm->setText(QStringLiteral("サイト %1日").arg(NoteRules::termDays(drawn, due)));
    else
        lblTerm->clear();

    const QString amount = AmountText::normalized(m_fields.amount->text());
    if (electronic) {
        lblStampDuty->setText(QStringLiteral("印紙税 不要（電子記録債務）"));
    } else if (AmountText::isWholeYen(amount)) {
        const qint64 duty = NoteRules::stampDuty(QString(amount).remove(QLatin1Char(',')).toDouble());
        lblStampDuty->setText(duty == 0
                                      ? QStringLiteral("印紙税 非課税（%1円未満）")
                                                .arg(locale.toString(NoteRules::stampFreeBelow()))
                                      : QStringLiteral("印紙税 %1円").arg(locale.toString(duty)));
    } else {
        lblStampDuty->clear();
    }

    bool longTerm = false;
    QString clearing;
    QString subcontract;
    for (const NoteRules::Warning &w : NoteRules::warnings(drawn, due, electronic, payeeCovered())) {
        switch (w.kind) {
        case NoteRules::Kind::LongTerm:
            longTerm = true;
            break;
        case NoteRules::Kind::Clearing:
            clearing = w.detail;
            break;
        case NoteRules::Kind::Subcontract:
            // An electronic record is named by its reason: it is the term, not the record, that is refused.
            subcontract = electronic ? w.reason + QStringLiteral("　") + w.detail : w.detail;
            break;
        }
    }
    lblLongTerm->setVisible(longTerm);
    lblLongTerm->setToolTip(longTerm ? NoteRules::warning(NoteRules::Kind::LongTerm).detail : QString());
    lblClearing->setText(clearing);
    lblClearing->setVisible(!clearing.isEmpty());
    lblSubcontract->setText(subcontract);
    lblSubcontract->setVisible(!subcontract.isEmpty());
}

bool NoteWarningPanel::acceptRecordNumber()
{
    const QString typed = m_fields.number->text();
    // An empty number has been reported as missing already.
    if (!isElectronic() || typed.isEmpty())
        return true;
    const QString number = NoteRules::recordNumberText(typed);
    if (number != typed)
        m_fields.number->setText(number);
    if (NoteRules::isRecordNumber(number))
        return true;
    m_ctx.dialogs().message(QStringLiteral("電子記録債務の手形番号には、記録番号（半角の英数字%1文字）を入力してください。\n"
                                           "入力された番号: %2（%3文字）")
                                    .arg(NoteRules::recordNumberLength())
                                    .arg(number)
                                    .arg(number.size()),
                            QStringLiteral("警告"), DialogService::Buttons::Ok, DialogService::Icon::Critical);
    return false;
}
