#include "ExcelSaveButton.h"

#include "DialogService.h"
#include "ModelExportSource.h"
#include "WaitCursor.h"

#include "exchange/CsvExport.h"
#include "store/StoreError.h"
#include "exchange/XlsxExport.h"

#include <QAbstractItemModel>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString xlsxFilter = QStringLiteral("Excel ブック (*.xlsx)");
const QString utf8Filter = QStringLiteral("CSV UTF-8 (*.csv)");
const QString shiftJisFilter = QStringLiteral("CSV Shift_JIS (*.csv)");

// The folder of the last save, for the next suggestion during this run.
QString &lastFolder()
{
    static QString folder;
    return folder;
}

QString safeFileName(const QString &title)
{
    QString name;
    for (const QChar ch : title)
        name += QStringLiteral("\\/:*?\"<>|").contains(ch) ? QChar(u'_') : ch;
    return name.trimmed().isEmpty() ? QStringLiteral("一覧") : name.trimmed();
}

} // namespace

ExcelSaveButton::ExcelSaveButton(DialogService &dialogs, const QAbstractItemModel *model, QWidget *parent)
    : QPushButton(QStringLiteral("Excel 保存(&X)"), parent)
    , m_dialogs(dialogs)
    , m_model(model)
{
    setObjectName(QStringLiteral("cmdExcel"));
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, &ExcelSaveButton::save);
}

QStringList ExcelSaveButton::filters()
{
    return {xlsxFilter, utf8Filter, shiftJisFilter};
}

void ExcelSaveButton::save()
{
    int rows = m_model->rowCount();
    if (m_leavesOutLastRow && rows > 0)
        --rows;
    ModelExportSource source(*m_model, m_kindOf, rows);
    for (auto it = m_headings.cbegin(); it != m_headings.cend(); ++it)
        source.setHeading(it.key(), it.value());
    source.setFrozenColumns(m_frozenColumns);
    source.setTotalsLabel(m_totalsLabel);
    saveSource(m_dialogs, source, m_title.isEmpty() ? window()->windowTitle() : m_title);
}

void ExcelSaveButton::saveSource(DialogService &dialogs, const ExportSource &source, const QString &title)
{
    QString folder = lastFolder();
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = QDir(folder).filePath(
            safeFileName(title) + QDate::currentDate().toString(QStringLiteral("_yyyyMMdd")) + QStringLiteral(".xlsx"));
    QString filter = xlsxFilter;
    QString path = dialogs.saveFileName(QStringLiteral("Excel 保存"), suggested, filters(), &filter);
    if (path.isEmpty())
        return;
    QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("xlsx") && suffix != QLatin1String("csv")) {
        suffix = filter == xlsxFilter ? QStringLiteral("xlsx") : QStringLiteral("csv");
        path += u'.' + suffix;
    }
    if (!dialogs.confirmReplace(path))
        return;
    lastFolder() = QFileInfo(path).absolutePath();

    int lost = 0;
    try {
        const WaitCursor wait;
        if (suffix == QLatin1String("xlsx"))
            XlsxExport::write(source, path, title, QDateTime::currentDateTime());
        else
            lost = CsvExport::write(source, path,
                                    filter == shiftJisFilter ? CsvExport::Encoding::ShiftJis
                                                             : CsvExport::Encoding::Utf8Bom);
    } catch (const StoreError &e) {
        dialogs.showStoreError(e);
        return;
    }
    if (lost > 0)
        dialogs.message(QStringLiteral("Shift_JIS で表せない文字 %1 字を「?」にして保存しました。").arg(lost),
                        QStringLiteral("Excel 保存"), DialogService::Buttons::Ok, DialogService::Icon::Information);
}
