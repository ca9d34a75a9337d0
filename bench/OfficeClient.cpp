#include "OfficeClient.h"

#include "store/ChangeSource.h"
#include "store/Connection.h"
#include "store/RibodoClass.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QDate>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QThread>

OfficeClient::OfficeClient(QString dataFolder, int client, unsigned seed)
    : m_dataFolder(std::move(dataFolder)), m_client(client), m_random(seed)
{
}

QString OfficeClient::poolNumber(int i)
{
    return QStringLiteral("K%1").arg(i, 3, 10, QLatin1Char('0'));
}

void OfficeClient::pause()
{
    QThread::usleep(std::uniform_int_distribution<unsigned>(0, 3000)(m_random));
}

void OfficeClient::run(int actions, QTextStream &out)
{
    using Action = Outcome (OfficeClient::*)(const QString &);
    struct Kind
    {
        const char *name;
        Action action;
        int weight;
    };
    static const Kind kinds[] = {
        {"register", &OfficeClient::registerNote, 3}, {"callup", &OfficeClient::callUp, 3},
        {"correct", &OfficeClient::correct, 3},       {"settle", &OfficeClient::settle, 2},
        {"delete", &OfficeClient::remove, 1},         {"search", nullptr, 1},
    };
    int total = 0;
    for (const Kind &k : kinds)
        total += k.weight;
    std::uniform_int_distribution<int> pick(0, total - 1);
    std::uniform_int_distribution<int> note(0, poolSize - 1);
    for (int i = 0; i < actions; ++i) {
        int roll = pick(m_random);
        const Kind *kind = kinds;
        while (roll >= kind->weight) {
            roll -= kind->weight;
            ++kind;
        }
        const QString source = QStringLiteral("office-check %1.%2").arg(m_client).arg(i);
        const ChangeSource::Scope scope(source);
        QElapsedTimer timer;
        timer.start();
        Outcome outcome;
        try {
            outcome = kind->action ? (this->*kind->action)(poolNumber(note(m_random))) : search();
        } catch (const StoreError &e) {
            outcome.result = e.kind() == StoreError::Kind::Conflict ? QStringLiteral("conflict")
                                                                    : QStringLiteral("error");
        }
        out << kind->name << '\t' << timer.nsecsElapsed() / 1000 << '\t' << outcome.result << '\t' << outcome.number
            << '\t' << outcome.version << '\t' << source << '\n';
    }
    out.flush();
}

OfficeClient::Outcome OfficeClient::registerNote(const QString &number)
{
    Outcome outcome{QString(), number};
    RibodoClass r;
    r.setDirPath(m_dataFolder);
    r.CntDb();
    // As note entry does: the number is checked first, then stored.
    if (!r.RibodoBangoCheck(number).toString().isEmpty()) {
        outcome.result = QStringLiteral("exists");
        return outcome;
    }
    pause();
    r.setRibodoNo(number);
    r.setRibodoFDate(QDate(2026, 12, 1));
    r.setRibodoKDate(QDate(2027, 3, 31));
    r.setKingaku(QString::number(100000 + 1000 * std::uniform_int_distribution<int>(0, 900)(m_random)));
    r.setJyotai(QStringLiteral("1"));
    try {
        r.SaveRs();
    } catch (const StoreError &) {
        // Registered by another PC after the check: the number is taken now.
        RibodoClass again;
        again.setDirPath(m_dataFolder);
        again.CntDb();
        if (again.RibodoBangoCheck(number).toString().isEmpty())
            throw;
        outcome.result = QStringLiteral("duplicate");
        return outcome;
    }
    outcome.result = QStringLiteral("ok");
    return outcome;
}

OfficeClient::Outcome OfficeClient::callUp(const QString &number)
{
    RibodoClass r;
    r.setDirPath(m_dataFolder);
    r.CntDb();
    r.setRibodoNo(number);
    r.SearchRs();
    const bool found = r.RibodoNo() != QLatin1String("X");
    return {found ? QStringLiteral("ok") : QStringLiteral("missing"), number, r.Version()};
}

namespace {

// Calls the note up into `r` as note entry does before a change.
bool callUpFor(RibodoClass &r, const QString &folder, const QString &number)
{
    r.setDirPath(folder);
    r.CntDb();
    r.setRibodoNo(number);
    r.SearchRs();
    if (r.RibodoNo() == QLatin1String("X"))
        return false;
    r.setRibodoNo2(number);
    return true;
}

} // namespace

OfficeClient::Outcome OfficeClient::afterCallUp(const QString &number, const std::function<void(RibodoClass &)> &write)
{
    RibodoClass r;
    if (!callUpFor(r, m_dataFolder, number))
        return {QStringLiteral("missing"), number};
    const Outcome outcome{QStringLiteral("ok"), number, r.Version()};
    pause();
    write(r);
    return outcome;
}

OfficeClient::Outcome OfficeClient::correct(const QString &number)
{
    return afterCallUp(number, [this](RibodoClass &r) {
        r.setKingaku(QString::number(100000 + 1000 * std::uniform_int_distribution<int>(0, 900)(m_random)));
        r.EditRs();
    });
}

OfficeClient::Outcome OfficeClient::settle(const QString &number)
{
    return afterCallUp(number, [](RibodoClass &r) {
        r.setJyotai(r.Jyotai() == QLatin1String("2") ? QStringLiteral("1") : QStringLiteral("2"));
        r.EditRsJ();
    });
}

OfficeClient::Outcome OfficeClient::remove(const QString &number)
{
    return afterCallUp(number, [](RibodoClass &r) { r.DeleteRs(); });
}

OfficeClient::Outcome OfficeClient::search()
{
    // The explorer's list of a quarter's due notes.
    Connection c;
    c.open(Schema::connectionText(m_dataFolder));
    QSqlQuery &rows = c.exec(QStringLiteral("SELECT * FROM QRYRibodo WHERE TKDate >= ? AND TKDate <= ? ORDER BY TKDate, TNo"),
                             {QStringLiteral("2027-01-01"), QStringLiteral("2027-03-31")});
    int count = 0;
    while (rows.next())
        ++count;
    rows.finish();
    return {QStringLiteral("ok"), QString::number(count)};
}
