// SPDX-License-Identifier: GPL-3.0-or-later
#include "PgConnection.h"

#include "EServerError.h"

#include <QStringList>
#include <QtEndian>
#include <array>
#include <libpq-fe.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// libpq's own texts, one line (its lines kept apart by a full stop), without whatever the connection
// string said of a password.
QString cleaned(const char* message, const QByteArray& password)
{
    QByteArray text(message ? message : "");
    if (!password.isEmpty())
        text.replace(password, "***");
    QStringList lines;
    for (const QString& line : QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts)) {
        if (const QString l = line.simplified(); !l.isEmpty())
            lines << (l.endsWith(u'.') || l.endsWith(u'?') ? l : l + u'.');
    }
    QString joined = lines.join(u' ');
    if (joined.endsWith(u'.'))
        joined.chop(1);
    return joined;
}

// What a failed connection means, in the user's words; empty when libpq's text is not one of these. Of a
// server name with several addresses, libpq reports each attempt: the last one says why it ended.
QString connectionProblem(const QString& message)
{
    const qsizetype last = message.lastIndexOf(u"failed:"_s);
    const QString libpq = last >= 0 ? message.mid(last) : message;
    static const std::array<std::pair<const char*, const char*>, 10> known = {{
        {"Connection refused",
         "il server non risponde (\u00e8 acceso? accetta collegamenti su quella porta?)"},
        {"No such file or directory",
         "il server non risponde (\u00e8 acceso? accetta collegamenti su quella porta?)"},
        {"could not translate host name", "il nome del server non si trova in rete"},
        {"timeout expired", "il server non ha risposto in tempo"},
        {"timed out", "il server non ha risposto in tempo"},
        {"password authentication failed", "il server non ha accettato l'utente o la password"},
        {"no password supplied",
         "il server chiede una password, che va scritta nel file .pgpass dell'utente"},
        {"no pg_hba.conf entry", "il server non accetta collegamenti da questo computer (pg_hba.conf)"},
        {"does not exist", "il database o l'utente indicato non esiste sul server"},
        {"No route to host", "il server non \u00e8 raggiungibile in rete"},
    }};
    for (const auto& [english, italian] : known) {
        if (libpq.contains(QLatin1StringView(english), Qt::CaseInsensitive))
            return QString::fromUtf8(italian);
    }
    return {};
}

// The password the connection string itself holds, if any (libpq never puts one into its messages, but
// a message quoting a mistyped string could).
QByteArray passwordOf(const QByteArray& connectionString, bool* valid)
{
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(connectionString.constData(), &error);
    *valid = options != nullptr;
    PQfreemem(error);
    QByteArray password;
    for (PQconninfoOption* o = options; o && o->keyword; ++o) {
        if (qstrcmp(o->keyword, "password") == 0 && o->val)
            password = o->val;
    }
    PQconninfoFree(options);
    return password;
}

void ignoreNotice(void*, const char*) {}

} // namespace

PgResult::~PgResult()
{
    PQclear(m_result);
}

int PgResult::Rows() const
{
    return PQntuples(m_result);
}

int PgResult::Columns() const
{
    return PQnfields(m_result);
}

bool PgResult::IsNull(int row, int column) const
{
    return PQgetisnull(m_result, row, column) != 0;
}

QByteArray PgResult::Bytes(int row, int column) const
{
    if (IsNull(row, column))
        return {};
    return QByteArray(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
}

QByteArrayView PgResult::View(int row, int column) const
{
    return {PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column)};
}

std::optional<QByteArray> PgResult::Value(int row, int column) const
{
    if (IsNull(row, column))
        return std::nullopt;
    return QByteArray(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
}

qint64 PgResult::Number(int row, int column) const
{
    if (IsNull(row, column))
        return 0;
    const char* bytes = PQgetvalue(m_result, row, column);
    switch (PQgetlength(m_result, row, column)) {
    case 2:
        return qFromBigEndian<qint16>(bytes);
    case 4:
        return qFromBigEndian<qint32>(bytes);
    case 8:
        return qFromBigEndian<qint64>(bytes);
    default:
        throw EServerError(u"Il server degli archivi ha risposto con un numero non valido"_s, false);
    }
}

qint64 PgResult::AffectedRows() const
{
    return QByteArray(PQcmdTuples(m_result)).toLongLong();
}

PgConnection::PgConnection(const QString& connectionString)
{
    const QByteArray info = connectionString.toUtf8();
    bool valid = false;
    const QByteArray password = passwordOf(info, &valid);
    if (!valid) {
        // libpq's message would quote the string, and so perhaps a password.
        throw EServerError(u"Il collegamento al server degli archivi indicato in Codazzurra.ini non \u00e8 "
                           u"scritto correttamente (sezione [Archivi], voce Server)"_s,
                           true);
    }
    // The string's own settings override the waiting time and the keepalives, which come before it; the
    // texts always travel as UTF-8. TCP keepalives, and a limit on data left unacknowledged, find a
    // dropped network within about a minute, so that a statement never waits for a lost server forever.
    const char* const keywords[] = {
        "connect_timeout",  "keepalives", "keepalives_idle", "keepalives_interval", "keepalives_count",
        "tcp_user_timeout", "dbname",     "client_encoding", "application_name",    nullptr};
    const char* const values[] = {"10",   "1",          "30",   "10", "3", "60000", info.constData(),
                                  "UTF8", "Codazzurra", nullptr};
    m_conn = PQconnectdbParams(keywords, values, 1);
    auto name = [](const char* text, const char* fallback) {
        return QString::fromUtf8(text && *text ? text : fallback);
    };
    if (m_conn) {
        m_serverName = name(PQhost(m_conn), "localhost") + u':' + name(PQport(m_conn), "5432") +
                       u", database "_s + name(PQdb(m_conn), "?");
    }
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        QString reason = m_conn ? cleaned(PQerrorMessage(m_conn), password) : u"memoria esaurita"_s;
        if (const QString problem = connectionProblem(reason); !problem.isEmpty())
            reason = problem + u". Dettagli: "_s + reason;
        if (!reason.endsWith(u'?'))
            reason += u'.';
        PQfinish(m_conn);
        m_conn = nullptr;
        throw EServerError(
            u"Impossibile collegarsi al server degli archivi (%1): %2"_s.arg(m_serverName, reason), true);
    }
    PQsetNoticeProcessor(m_conn, ignoreNotice, nullptr);
    if (PQserverVersion(m_conn) < 100000) {
        PQfinish(m_conn);
        m_conn = nullptr;
        throw EServerError(
            u"Il server degli archivi (%1) \u00e8 troppo vecchio: serve PostgreSQL 10 o successivo"_s.arg(
                m_serverName),
            false);
    }
}

PgConnection::~PgConnection()
{
    PQfinish(m_conn);
}

QString PgConnection::Setting(const char* keyword) const
{
    QString value;
    PQconninfoOption* options = PQconninfo(m_conn);
    for (PQconninfoOption* o = options; o && o->keyword; ++o) {
        if (qstrcmp(o->keyword, keyword) == 0 && o->val)
            value = QString::fromUtf8(o->val);
    }
    PQconninfoFree(options);
    return value;
}

bool PgConnection::IsBroken() const
{
    return PQstatus(m_conn) != CONNECTION_OK;
}

void PgConnection::raise(const pg_result* result) const
{
    const QByteArray state = result ? QByteArray(PQresultErrorField(result, PG_DIAG_SQLSTATE)) : QByteArray();
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const QString reason = cleaned(primary ? primary : PQerrorMessage(m_conn), {});
    // Class 08 is a connection failure; 57P01..57P03 a server shutting down or not yet accepting.
    const bool lost = IsBroken() || state.startsWith("08") || state.startsWith("57P");
    if (lost) {
        throw EServerError(u"Il collegamento al server degli archivi (%1) si \u00e8 interrotto: %2"_s.arg(
                               m_serverName, reason),
                           true, state);
    }
    throw EServerError(
        u"Il server degli archivi (%1) ha rifiutato l'operazione: %2"_s.arg(m_serverName, reason), false,
        state);
}

PgResult PgConnection::Exec(const QString& sql, const std::vector<PgParam>& params)
{
    const QByteArray text = sql.toUtf8();
    std::vector<const char*> values;
    std::vector<int> lengths;
    std::vector<int> formats;
    values.reserve(params.size());
    for (const PgParam& p : params) {
        // A value of no bytes still needs a pointer that is not NULL: NULL means an SQL NULL.
        values.push_back(p.value ? (p.value->isNull() ? "" : p.value->constData()) : nullptr);
        lengths.push_back(p.value ? int(p.value->size()) : 0);
        formats.push_back(p.binary ? 1 : 0);
    }
    PGresult* result = PQexecParams(m_conn, text.constData(), int(params.size()), nullptr, values.data(),
                                    lengths.data(), formats.data(), 1);
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        PgResult owner(result);
        raise(result);
    }
    return PgResult(result);
}

void PgConnection::ExecScript(const QString& sql)
{
    PgResult result(PQexec(m_conn, sql.toUtf8().constData()));
    const pg_result* r = result.get();
    if (!r || PQresultStatus(r) != PGRES_COMMAND_OK)
        raise(r);
}

void PgConnection::Begin(const char* mode)
{
    Exec(mode ? u"BEGIN "_s + QLatin1StringView(mode) : u"BEGIN"_s);
}

void PgConnection::Commit()
{
    Exec(u"COMMIT"_s);
}

void PgConnection::Rollback() noexcept
{
    if (IsBroken())
        return;
    PQclear(PQexec(m_conn, "ROLLBACK"));
}
