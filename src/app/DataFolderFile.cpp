#include "DataFolderFile.h"

#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace {

// The file may come from the older system, written in Shift_JIS; a file that
// is valid UTF-8 is taken as UTF-8.
QString decode(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder sjis("Shift_JIS", QStringDecoder::Flag::Stateless);
    if (sjis.isValid()) {
        text = sjis.decode(bytes);
        if (!sjis.hasError())
            return text;
    }
    return QString::fromLocal8Bit(bytes);
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

QString DataFolderFile::fileName()
{
    return QStringLiteral("RibodoDa.sys");
}

QString DataFolderFile::locate(const QString &programFolder)
{
    const QDir folder(programFolder);
    // Name filters match without regard to letter case.
    const QStringList names = folder.entryList({fileName()}, QDir::Files, QDir::Name);
    QStringList normal;
    for (const QString &name : names) {
        if (Platform::isNormalFile(folder.filePath(name)))
            normal << name;
    }
    if (normal.isEmpty())
        return QString();
    // A case-sensitive file system may hold several spellings; the ones the
    // program itself uses come first.
    for (const QString &preferred : {fileName(), QStringLiteral("Ribododa.sys")}) {
        if (normal.contains(preferred))
            return QDir::toNativeSeparators(folder.filePath(preferred));
    }
    return QDir::toNativeSeparators(folder.filePath(normal.first()));
}

DataFolderFile::Reading DataFolderFile::read(const QString &path)
{
    Reading reading;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reading.status = Reading::Status::Unreadable;
        reading.reason = file.errorString();
        return reading;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reading.status = Reading::Status::Unreadable;
        reading.reason = file.errorString();
        return reading;
    }
    const QString text = decode(bytes);
    if (text.isEmpty()) {
        reading.status = Reading::Status::Empty;
        return reading;
    }
    qsizetype end = 0;
    while (end < text.size() && text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
        ++end;
    reading.firstField = firstField(text.left(end));
    return reading;
}

QString DataFolderFile::firstField(const QString &line)
{
    qsizetype i = 0;
    while (i < line.size() && isBlank(line.at(i)))
        ++i;
    if (i < line.size() && line.at(i) == QLatin1Char('"')) {
        const qsizetype close = line.indexOf(QLatin1Char('"'), i + 1);
        return close < 0 ? line.mid(i + 1) : line.mid(i + 1, close - i - 1);
    }
    const qsizetype comma = line.indexOf(QLatin1Char(','), i);
    QString field = comma < 0 ? line.mid(i) : line.mid(i, comma - i);
    qsizetype keep = field.size();
    while (keep > 0 && isBlank(field.at(keep - 1)))
        --keep;
    field.truncate(keep);
    return field;
}
