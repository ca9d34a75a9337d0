#pragma once

#include <QString>

// The few values the whole application shares, set by one screen and read by
// another: the data folder, the report number or save mode (ModeFlag), the
// result of the last check or call-up (ResultFlag), and the date and
// accounting category handed to reports 11 and 12.
class AppValues
{
public:
    // The folder of the data, ending with the platform's separator; file
    // names are appended to it directly.
    QString dataFolder() const { return m_dataFolder; }
    void setDataFolder(const QString &v) { m_dataFolder = v; }

    // The folder of the running program, without a trailing separator.
    QString programFolder() const { return m_programFolder; }
    void setProgramFolder(const QString &v) { m_programFolder = v; }

    QString ModeFlag() const { return m_modeFlag; }
    void setModeFlag(const QString &v) { m_modeFlag = v; }
    QString ResultFlag() const { return m_resultFlag; }
    void setResultFlag(const QString &v) { m_resultFlag = v; }
    QString ReportDate() const { return m_reportDate; }
    void setReportDate(const QString &v) { m_reportDate = v; }
    QString ReportKeiri() const { return m_reportKeiri; }
    void setReportKeiri(const QString &v) { m_reportKeiri = v; }
    // The last day of the period of report 14, which starts on ReportDate.
    QString ReportDateEnd() const { return m_reportDateEnd; }
    void setReportDateEnd(const QString &v) { m_reportDateEnd = v; }

private:
    QString m_dataFolder;
    QString m_programFolder;
    QString m_modeFlag;
    QString m_resultFlag;
    QString m_reportDate;
    QString m_reportKeiri;
    QString m_reportDateEnd;
};
