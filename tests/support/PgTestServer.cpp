// SPDX-License-Identifier: GPL-3.0-or-later
#include "PgTestServer.h"

#include "server/EServerError.h"
#include "server/PgConnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QVersionNumber>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The bin folder of the newest PostgreSQL installed from Debian's packages; empty when there is none.
QString postgresBin()
{
    QString best;
    QVersionNumber bestVersion;
    const QDir root(u"/usr/lib/postgresql"_s);
    for (const QString& version : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString bin = root.filePath(version + u"/bin"_s);
        const QVersionNumber number = QVersionNumber::fromString(version);
        if (QFile::exists(bin + u"/initdb"_s) && QFile::exists(bin + u"/pg_ctl"_s) && number > bestVersion) {
            best = bin;
            bestVersion = number;
        }
    }
    return best;
}

int freePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (s >= 0 && ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (s >= 0)
        ::close(s);
    return port;
}

QString shellQuoted(const QString& text)
{
    return u'\'' + QString(text).replace(u"'"_s, u"'\\''"_s) + u'\'';
}

} // namespace

PgTestServer::PgTestServer(bool durable)
    : m_durable(durable)
{
    m_bin = postgresBin();
    if (m_bin.isEmpty()) {
        m_error = u"PostgreSQL non \u00e8 installato: installare il pacchetto Debian postgresql "
                  u"(scripts/install-deps.sh lo installa)"_s;
        return;
    }
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + u"/codazzurra-pg-XXXXXX"_s);
    if (!m_dir->isValid()) {
        m_error = u"cannot create a temporary folder: "_s + m_dir->errorString();
        return;
    }
    if (::geteuid() == 0) {
        // PostgreSQL refuses to run as root: the server's folder goes to an unprivileged user.
        const passwd* user = ::getpwnam("postgres");
        if (!user)
            user = ::getpwnam("nobody");
        if (!user || ::chown(QFile::encodeName(m_dir->path()).constData(), user->pw_uid, user->pw_gid) != 0) {
            m_error = u"no unprivileged user can own the server's folder"_s;
            return;
        }
        m_user = QString::fromLocal8Bit(user->pw_name);
    }
    m_error =
        run(m_bin + u"/initdb"_s, {u"-D"_s, m_dir->filePath(u"data"_s), u"-A"_s, u"trust"_s, u"-U"_s,
                                   u"codazzurra"_s, u"-E"_s, u"UTF8"_s, u"--no-locale"_s, u"--no-sync"_s});
    if (!m_error.isEmpty())
        return;
    // Another program may take the free port before the server does: then another one is tried.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = freePort();
        m_error = Start();
        if (m_error.isEmpty())
            break;
    }
    if (!m_error.isEmpty()) {
        m_port = 0;
        return;
    }

    // The watchdog: once this process is gone, however it ended, the server stops and its folder goes.
    QString stop = shellQuoted(m_bin + u"/pg_ctl"_s) + u" -D "_s + shellQuoted(m_dir->filePath(u"data"_s)) +
                   u" -m immediate -w stop"_s;
    if (!m_user.isEmpty())
        stop = u"runuser -u "_s + m_user + u" -- "_s + stop;
    const QString script = u"while kill -0 %1 2>/dev/null; do sleep 1; done; %2; rm -rf %3"_s.arg(
        QString::number(QCoreApplication::applicationPid()), stop, shellQuoted(m_dir->path()));
    QProcess watchdog;
    watchdog.setProgram(u"setsid"_s);
    watchdog.setArguments({u"sh"_s, u"-c"_s, script});
    watchdog.setStandardInputFile(QProcess::nullDevice());
    watchdog.setStandardOutputFile(QProcess::nullDevice());
    watchdog.setStandardErrorFile(QProcess::nullDevice());
    if (!watchdog.startDetached()) {
        m_error = u"cannot start the watchdog of the test server"_s;
        Stop();
        return;
    }
    m_error = ResetDatabase();
}

PgTestServer::~PgTestServer()
{
    if (m_port != 0)
        Stop();
}

QString PgTestServer::run(const QString& program, const QStringList& arguments) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    if (m_user.isEmpty())
        process.start(program, arguments);
    else
        process.start(u"runuser"_s, QStringList{u"-u"_s, m_user, u"--"_s, program} + arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return QFileInfo(program).fileName() + u" failed: "_s + QString::fromLocal8Bit(process.readAll()) +
               process.errorString();
    }
    return {};
}

QString PgTestServer::Start()
{
    QString options = u"-p %1 -k %2 -c listen_addresses=127.0.0.1 -c max_connections=40"_s.arg(m_port).arg(
        shellQuoted(m_dir->path()));
    // A test server need not survive a power cut, and the tests need not wait for the disk.
    if (!m_durable)
        options += u" -c fsync=off -c full_page_writes=off -c shared_buffers=16MB"_s;
    return run(m_bin + u"/pg_ctl"_s, {u"-D"_s, m_dir->filePath(u"data"_s), u"-l"_s, m_dir->filePath(u"log"_s),
                                      u"-o"_s, options, u"-w"_s, u"-t"_s, u"60"_s, u"start"_s});
}

QString PgTestServer::Stop()
{
    return run(m_bin + u"/pg_ctl"_s,
               {u"-D"_s, m_dir->filePath(u"data"_s), u"-m"_s, u"fast"_s, u"-w"_s, u"stop"_s});
}

QString PgTestServer::ConnectionString() const
{
    return u"host=%1 port=%2 dbname=archivi user=codazzurra"_s.arg(m_dir->path()).arg(m_port);
}

QString PgTestServer::TcpConnectionString() const
{
    return u"host=127.0.0.1 port=%1 dbname=archivi user=codazzurra"_s.arg(m_port);
}

QString PgTestServer::ResetDatabase()
{
    try {
        PgConnection admin(
            u"host=%1 port=%2 dbname=postgres user=codazzurra"_s.arg(m_dir->path()).arg(m_port));
        admin.Exec(u"DROP DATABASE IF EXISTS archivi WITH (FORCE)"_s);
        admin.Exec(u"CREATE DATABASE archivi"_s);
    } catch (const EServerError& e) {
        return e.message();
    }
    return {};
}
