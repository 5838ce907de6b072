// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

struct pg_conn;
struct pg_result;

// One value bound to a statement's parameter ($1, $2, …): bytes sent in binary (for bytea), a number or a
// text sent as text, or NULL.
struct PgParam
{
    std::optional<QByteArray> value;
    bool binary = false;

    static PgParam Bytes(const QByteArray& bytes) { return {bytes, true}; }
    static PgParam Number(qint64 number) { return {QByteArray::number(number), false}; }
    static PgParam Text(const QString& text) { return {text.toUtf8(), false}; }
    static PgParam Null() { return {std::nullopt, false}; }
};

// The complete result of one statement, its values in binary form.
class PgResult
{
public:
    explicit PgResult(pg_result* result) noexcept
        : m_result(result)
    {}
    ~PgResult();
    PgResult(PgResult&& other) noexcept
        : m_result(other.m_result)
    {
        other.m_result = nullptr;
    }
    PgResult(const PgResult&) = delete;
    PgResult& operator=(const PgResult&) = delete;
    PgResult& operator=(PgResult&&) = delete;

    int Rows() const;
    int Columns() const;
    bool IsNull(int row, int column) const;
    // The value's bytes (a bytea's own bytes, a text's UTF-8); an empty, null array for NULL.
    QByteArray Bytes(int row, int column) const;
    // The value's bytes where the result holds them, valid while it lives; empty for NULL.
    QByteArrayView View(int row, int column) const;
    // The same, keeping NULL apart from an empty value.
    std::optional<QByteArray> Value(int row, int column) const;
    // A smallint, integer or bigint value; 0 for NULL.
    qint64 Number(int row, int column) const;
    // Rows changed by an INSERT, UPDATE or DELETE.
    qint64 AffectedRows() const;
    const pg_result* get() const noexcept { return m_result; }

private:
    pg_result* m_result;
};

// One connection to the archives' server, through libpq. Values always travel as bound parameters;
// results come back in binary form (photos are read as their own bytes, not as text). Every failure is
// raised as EServerError, whose message names the server and never the connection string or a password.
class PgConnection
{
public:
    // Connects with a libpq connection string (host=… port=… dbname=… user=…); passwords come from
    // libpq's own places (~/.pgpass, PGPASSFILE, a service file).
    explicit PgConnection(const QString& connectionString);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Runs one statement.
    PgResult Exec(const QString& sql, const std::vector<PgParam>& params = {});
    // Runs several statements without parameters (schema definitions), in order.
    void ExecScript(const QString& sql);

    void Begin(const char* mode = nullptr);
    void Commit();
    // Undoes the open transaction; never raises (a lost connection rolls back by itself).
    void Rollback() noexcept;

    // The value of one of the connection's settings ("keepalives_idle"), as libpq uses it; empty when unset.
    QString Setting(const char* keyword) const;
    // Whether the connection is known to be lost.
    bool IsBroken() const;
    // How the server is named in messages: "host:porta, database nome".
    const QString& ServerName() const noexcept { return m_serverName; }

private:
    [[noreturn]] void raise(const pg_result* result) const;

    pg_conn* m_conn = nullptr;
    QString m_serverName;
};
