#include "HolidayFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace {

QString decode(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    QStringDecoder sjis("Shift_JIS", QStringDecoder::Flag::Stateless);
    if (sjis.isValid()) {
        const QString text = sjis.decode(bytes);
        if (!sjis.hasError())
            return text;
    }
    return QString::fromUtf8(bytes);
}

QString unquoted(QString field)
{
    field = field.trimmed();
    if (field.size() >= 2 && field.startsWith(QLatin1Char('"')) && field.endsWith(QLatin1Char('"')))
        field = field.mid(1, field.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return field.trimmed();
}

// yyyy/M/d; hyphens are taken as well, as a spreadsheet may have saved them.
QDate parseDate(const QString &text)
{
    const QStringList parts = QString(text).replace(QLatin1Char('-'), QLatin1Char('/')).split(QLatin1Char('/'));
    if (parts.size() != 3)
        return {};
    bool okY = false, okM = false, okD = false;
    const QDate d(parts.at(0).toInt(&okY), parts.at(1).toInt(&okM), parts.at(2).toInt(&okD));
    return okY && okM && okD ? d : QDate();
}

} // namespace

QString HolidayFile::fileName()
{
    return QStringLiteral("syukujitsu.csv");
}

HolidayFile HolidayFile::read(const QString &dataFolder)
{
    if (dataFolder.isEmpty())
        return {};
    const QDir folder(dataFolder);
    // Name filters match regardless of letter case, as on Windows.
    const QStringList names = folder.entryList({fileName()}, QDir::Files | QDir::Readable);
    if (names.isEmpty())
        return {};
    QFile file(folder.filePath(names.contains(fileName()) ? fileName() : names.first()));
    const QString shown = QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
    HolidayFile failed;
    failed.m_path = shown;
    if (!file.open(QIODevice::ReadOnly)) {
        failed.m_error = QStringLiteral("%1 を読めません: %2").arg(shown, file.errorString());
        return failed;
    }
    // Read up to one byte past the limit: a file's stated size says nothing
    // of a device or a pipe behind a link.
    const QByteArray bytes = file.size() > maxBytes ? QByteArray() : file.read(maxBytes + 1);
    if (file.size() > maxBytes || bytes.size() > maxBytes) {
        failed.m_error = QStringLiteral("%1 は大きすぎるため読みません（%2 KB まで）。").arg(shown).arg(maxBytes / 1024);
        return failed;
    }
    HolidayFile list = parse(bytes);
    list.m_path = shown;
    return list;
}

QList<int> HolidayFile::missingYears() const
{
    QList<int> missing;
    if (m_years.isEmpty())
        return missing;
    for (int year = m_years.firstKey() + 1; year < m_years.lastKey(); ++year) {
        if (!m_years.contains(year))
            missing << year;
    }
    return missing;
}

QString HolidayFile::problem() const
{
    const QString advice = QStringLiteral("政府の公開している「国民の祝日」の一覧（%1）に置き換えてください。").arg(fileName());
    if (!m_error.isEmpty())
        return QStringLiteral("祝日一覧ファイルを使えません。\n%1\n祝日は祝日法から計算して扱います。%2").arg(m_error, advice);
    if (!m_firstSkipped.isEmpty())
        return QStringLiteral("祝日一覧ファイルに日付として読めない行があります。\n%1\n%2\n"
                              "この行の祝日は休日として扱われないため、決済日がずれることがあります。%3")
                .arg(m_path, m_firstSkipped, advice);
    const QList<int> missing = missingYears();
    if (!missing.isEmpty())
        return QStringLiteral("祝日一覧ファイルに %1 年の祝日がありません。\n%2\n"
                              "この年の祝日は祝日法から計算して扱います。%3")
                .arg(QString::number(missing.first()), m_path, advice);
    return QString();
}

HolidayFile HolidayFile::parse(const QByteArray &bytes)
{
    HolidayFile list;
    const QStringList lines = decode(bytes).split(QLatin1Char('\n'));
    bool first = true;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines.at(n).trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        const QDate date = comma < 0 ? QDate() : parseDate(unquoted(line.left(comma)));
        if (!date.isValid()) {
            if (!first && list.m_skipped++ == 0)
                list.m_firstSkipped = QStringLiteral("%1 行目: %2").arg(n + 1).arg(line.left(80));
            first = false;
            continue;
        }
        first = false;
        QList<Holiday> &year = list.m_years[date.year()];
        const bool known = std::any_of(year.cbegin(), year.cend(), [&date](const Holiday &h) { return h.date == date; });
        if (!known)
            year.append({date, unquoted(line.mid(comma + 1))});
    }
    for (QList<Holiday> &year : list.m_years)
        std::sort(year.begin(), year.end(), [](const Holiday &a, const Holiday &b) { return a.date < b.date; });
    return list;
}
