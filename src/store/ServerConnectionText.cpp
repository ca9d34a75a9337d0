#include "ServerConnectionText.h"

#include "StoreError.h"

#include <QDir>
#include <QFile>
#include <QSet>

namespace {

// Full-width digits are what a Japanese keyboard often gives.
QString halfWidthDigits(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
            c = QChar(u'0' + (c.unicode() - 0xFF10));
    }
    return text;
}

StoreError invalid(const QString &explanation)
{
    return StoreError(QStringLiteral("サーバーの接続文字列が正しくありません。") + explanation);
}

} // namespace

QString ServerConnectionText::fileName()
{
    return QStringLiteral("dbRibodo.server");
}

ServerConnectionText ServerConnectionText::parse(const QString &text)
{
    ServerConnectionText result;
    QString provider;
    QSet<QString> seen;
    bool hasPort = false;
    for (const QString &part : text.split(QLatin1Char(';'))) {
        if (part.trimmed().isEmpty())
            continue;
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        if (equals < 0)
            throw invalid(QStringLiteral("「%1」に「=」がありません。").arg(part.trimmed()));
        const QString key = part.left(equals).trimmed().toLower();
        const QString value = part.mid(equals + 1).trimmed();
        if (key == QLatin1String("password") || key == QLatin1String("pwd"))
            throw StoreError(QStringLiteral("接続文字列にパスワードは書けません。パスワードはサーバーのログイン"
                                            "（~/.pgpass または PGPASSFILE の指すファイル）で設定してください。"));
        if (seen.contains(key))
            throw invalid(QStringLiteral("「%1」が 2 回あります。").arg(part.left(equals).trimmed()));
        seen.insert(key);
        if (key == QLatin1String("provider")) {
            provider = value;
        } else if (key == QLatin1String("host")) {
            result.m_host = value;
        } else if (key == QLatin1String("port")) {
            bool ok = false;
            result.m_port = halfWidthDigits(value).toInt(&ok);
            if (!ok || result.m_port < 1 || result.m_port > 65535)
                throw invalid(QStringLiteral("ポート「%1」は 1 から 65535 までの数ではありません。").arg(value));
            hasPort = true;
        } else if (key == QLatin1String("database")) {
            result.m_database = value;
        } else if (key == QLatin1String("user")) {
            result.m_user = value;
        } else {
            throw invalid(QStringLiteral("「%1」は使えない項目です。").arg(part.left(equals).trimmed()));
        }
    }
    if (provider.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) != 0)
        throw invalid(QStringLiteral("Provider=PostgreSQL がありません。"));
    if (result.m_host.isEmpty())
        throw invalid(QStringLiteral("Host（サーバー名）がありません。"));
    if (result.m_database.isEmpty())
        throw invalid(QStringLiteral("Database（データベース名）がありません。"));
    if (!hasPort)
        result.m_port = 5432;
    return result;
}

bool ServerConnectionText::existsIn(const QString &dataFolder)
{
    return QFile::exists(QDir(dataFolder).filePath(fileName()));
}

ServerConnectionText ServerConnectionText::fromDataFolder(const QString &dataFolder)
{
    QFile file(QDir(dataFolder).filePath(fileName()));
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("サーバーの接続ファイルを読めません。"), file.fileName() + QLatin1Char('\n') + file.errorString());
    QString line = QString::fromUtf8(file.readLine());
    // A file saved by Windows Notepad may begin with a byte order mark.
    if (line.startsWith(QChar(0xFEFF)))
        line.remove(0, 1);
    return parse(line.trimmed());
}

QString ServerConnectionText::text() const
{
    QString t = QStringLiteral("Provider=PostgreSQL;Host=%1;Port=%2;Database=%3").arg(m_host).arg(m_port).arg(m_database);
    if (!m_user.isEmpty())
        t += QStringLiteral(";User=") + m_user;
    return t;
}

QString ServerConnectionText::serverName() const
{
    return QStringLiteral("%1 (ポート %2)").arg(m_host).arg(m_port);
}
