#include "HistoryFunctions.h"

#include "ChangeSource.h"

#include <QDateTime>
#include <QtGlobal>

#include <sqlite3.h>

// Each value is written with its length, so that no two different rows give
// the same stream; null has its own mark. Reals are written in their shortest
// exact form, independent of the engine's own formatting.
void HistoryFunctions::Hash::addNull()
{
    m_hash.addData(QByteArrayView("N;"));
}

void HistoryFunctions::Hash::addInteger(qint64 value)
{
    addText(QByteArray::number(value));
}

void HistoryFunctions::Hash::addReal(double value)
{
    addText(QByteArray::number(value, 'g', QLocale::FloatingPointShortest));
}

void HistoryFunctions::Hash::addText(QByteArrayView utf8)
{
    m_hash.addData(QByteArray::number(utf8.size()));
    m_hash.addData(QByteArrayView(":"));
    m_hash.addData(utf8);
    m_hash.addData(QByteArrayView(";"));
}

QByteArray HistoryFunctions::Hash::result()
{
    return m_hash.result().toHex();
}

namespace {

void resultText(sqlite3_context *context, const QByteArray &text)
{
    sqlite3_result_text(context, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

void now(sqlite3_context *context, int, sqlite3_value **)
{
    resultText(context, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8());
}

void userName(sqlite3_context *context, int, sqlite3_value **)
{
    resultText(context, HistoryFunctions::user());
}

void source(sqlite3_context *context, int, sqlite3_value **)
{
    resultText(context, ChangeSource::current().toUtf8());
}

void hash(sqlite3_context *context, int count, sqlite3_value **values)
{
    HistoryFunctions::Hash h;
    for (int i = 0; i < count; ++i) {
        sqlite3_value *v = values[i];
        switch (sqlite3_value_type(v)) {
        case SQLITE_NULL:
            h.addNull();
            break;
        case SQLITE_INTEGER:
            h.addInteger(sqlite3_value_int64(v));
            break;
        case SQLITE_FLOAT:
            h.addReal(sqlite3_value_double(v));
            break;
        default: {
            const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(v));
            h.addText(QByteArrayView(text, sqlite3_value_bytes(v)));
        }
        }
    }
    resultText(context, h.result());
}

} // namespace

QByteArray HistoryFunctions::user()
{
    for (const char *name : {"USER", "USERNAME", "LOGNAME"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value.toUtf8();
    }
    return QByteArrayLiteral("?");
}

void HistoryFunctions::install(sqlite3 *db)
{
    const int text = SQLITE_UTF8;
    sqlite3_create_function_v2(db, "ribodo_now", 0, text, nullptr, now, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "ribodo_user", 0, text, nullptr, userName, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "ribodo_source", 0, text, nullptr, source, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "ribodo_hash", -1, text | SQLITE_DETERMINISTIC, nullptr, hash, nullptr, nullptr,
                               nullptr);
}
