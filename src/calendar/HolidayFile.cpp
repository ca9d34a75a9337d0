#include "HolidayFile.h"

#include <QDir>
#include <QFile>
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
    if (!file.open(QIODevice::ReadOnly)) {
        HolidayFile failed;
        failed.m_error = QStringLiteral("%1 を読めません: %2").arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
        return failed;
    }
    return parse(file.readAll());
}

HolidayFile HolidayFile::parse(const QByteArray &bytes)
{
    HolidayFile list;
    const QStringList lines = decode(bytes).split(QLatin1Char('\n'));
    bool first = true;
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        const QDate date = comma < 0 ? QDate() : parseDate(unquoted(line.left(comma)));
        if (!date.isValid()) {
            if (!first)
                ++list.m_skipped;
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
