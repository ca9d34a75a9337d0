#pragma once

#include "exchange/ExportSource.h"

#include <QHash>
#include <QPushButton>

#include <functional>

class DialogService;
class QAbstractItemModel;

// 「Excel 保存」: saves the rows a list shows as an Excel workbook or a CSV
// file (UTF-8, or Shift_JIS for older tools), the format chosen with the
// file's name. An existing file is replaced only after the user agrees.
class ExcelSaveButton : public QPushButton
{
public:
    using KindOf = std::function<ExportSource::Kind(int column)>;

    ExcelSaveButton(DialogService &dialogs, const QAbstractItemModel *model, QWidget *parent);

    // The title in the page header of the workbook and in the suggested file
    // name; the window's title unless set.
    void setTitle(const QString &title) { m_title = title; }
    void setKinds(KindOf kindOf) { m_kindOf = std::move(kindOf); }
    void setHeading(int column, const QString &heading) { m_headings.insert(column, heading); }
    // Leaves out a totals row at the end of the list.
    void setLeavesOutLastRow(bool on) { m_leavesOutLastRow = on; }
    // Columns the workbook keeps in view when it scrolls sideways.
    void setFrozenColumns(int columns) { m_frozenColumns = columns; }
    // A totals row under the workbook's rows, labelled so.
    void setTotalsLabel(const QString &label) { m_totalsLabel = label; }

    void save();

    // Asks for the file and writes `source` to it; what the button and the
    // report viewer share. Messages go through `dialogs`.
    static void saveSource(DialogService &dialogs, const ExportSource &source, const QString &title);

    static QStringList filters();

private:
    DialogService &m_dialogs;
    const QAbstractItemModel *m_model;
    QString m_title;
    KindOf m_kindOf;
    QHash<int, QString> m_headings;
    bool m_leavesOutLastRow = false;
    int m_frozenColumns = 0;
    QString m_totalsLabel;
};
