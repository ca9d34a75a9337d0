#include "HistoryFunctions.h"

#include "ChangeSource.h"

#include <QLocale>
#include <QtGlobal>

#include <openssl/evp.h>
#include <sqlite3.h>

#include <atomic>
#include <charconv>

// Each value is written with its length, so that no two different rows give
// the same stream; null has its own mark. Reals are written in their shortest
// exact form, independent of the engine's own formatting.
void HistoryFunctions::Hash::addNull()
{
    m_stream.append("N;", 2);
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
    if (m_stream.isEmpty())
        m_stream.reserve(2048);
    char length[24];
    const auto written = std::to_chars(length, length + sizeof length, utf8.size());
    m_stream.append(length, written.ptr - length);
    m_stream.append(':');
    m_stream.append(utf8);
    m_stream.append(';');
}

QByteArray HistoryFunctions::Hash::result() const
{
    // Fetched once: looking the digest up by name costs more than hashing
    // a row.
    static EVP_MD *const sha256 = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!sha256 || !EVP_Digest(m_stream.constData(), size_t(m_stream.size()), digest, &length, sha256, nullptr))
        return {};
    return QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex();
}

namespace {

void resultText(sqlite3_context *context, const QByteArray &text)
{
    sqlite3_result_text(context, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

void userName(sqlite3_context *context, int, sqlite3_value **)
{
    resultText(context, HistoryFunctions::user());
}

std::atomic<qint64> written{0};

// Called once for every history row a connection of this program writes.
void source(sqlite3_context *context, int, sqlite3_value **)
{
    ++written;
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
    const QByteArray digest = h.result();
    if (digest.isEmpty()) {
        // No row goes into the history without its hash: the change fails.
        sqlite3_result_error(context, "SHA-256 を計算できません。", -1);
        return;
    }
    resultText(context, digest);
}

} // namespace

qint64 HistoryFunctions::rowsWritten()
{
    return written;
}

void HistoryFunctions::addRowsWritten(qint64 rows)
{
    written += rows;
}

QByteArray HistoryFunctions::user()
{
    static const QByteArray name = [] {
        for (const char *variable : {"USER", "USERNAME", "LOGNAME"}) {
            const QString value = qEnvironmentVariable(variable);
            if (!value.isEmpty())
                return value.toUtf8();
        }
        return QByteArrayLiteral("?");
    }();
    return name;
}

void HistoryFunctions::install(sqlite3 *db)
{
    const int text = SQLITE_UTF8;
    sqlite3_create_function_v2(db, "ribodo_user", 0, text, nullptr, userName, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "ribodo_source", 0, text, nullptr, source, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "ribodo_hash", -1, text | SQLITE_DETERMINISTIC, nullptr, hash, nullptr, nullptr,
                               nullptr);
}
