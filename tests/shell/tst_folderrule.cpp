// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PasswordFile.h"
#include "shell/ProgramFolder.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The message Prepare() raises, empty when it raises none.
QString prepareError(const ProgramFolder& folders)
{
    try {
        folders.Prepare();
    } catch (const std::runtime_error& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

// Runs check as an unprivileged user: in a child process when the tests run as root, who may write into
// any folder whatever its permissions.
bool unprivileged(const std::function<bool()>& check)
{
    if (::geteuid() != 0)
        return check();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

// Where the program keeps its files: beside the executable, or in each user's data folder.
class TestFolderRule : public QObject
{
    Q_OBJECT
    QTemporaryDir m_root;

    QString path(const QString& name) const { return QDir::cleanPath(m_root.filePath(name)); }
    ProgramFolder::Environment environment(const QString& executable, const QString& user) const
    {
        QDir().mkpath(path(executable));
        return {path(executable), path(user), {}, path(u"usr/share/codazzurra"_s), [this, user] {
                    return path(user + u"/Documenti"_s);
                }};
    }

private slots:
    void initTestCase()
    {
        // Readable by the unprivileged user of the read-only cases.
        QVERIFY(::chmod(QFile::encodeName(m_root.path()).constData(), 0755) == 0);
    }

    void portable_whenTheExecutablesFolderSaysSo()
    {
        // The marker, an archive or the password file, even on its own, keeps everything beside the
        // executable, and nothing goes to the home folder.
        for (const QString& name : {u"portable"_s, u"Cani.db"_s, u"Altri.db"_s, u"unins000.dll"_s}) {
            const QString bin = u"stick-"_s + name;
            ProgramFolder::Environment env = environment(bin, u"home/anna"_s);
            env.documents = [] {
                qFatal("a portable folder asks for no documents folder");
                return QString();
            };
            QVERIFY(TestFiles::WriteFile(QDir(env.executableFolder).filePath(name), {}));
            const ProgramFolder folders = ProgramFolder::Locate(env);
            QVERIFY2(folders.GetMode() == ProgramFolder::Mode::Portable, qPrintable(name));
            QCOMPARE(folders.Data(), path(bin));
            QCOMPARE(folders.Exports(), path(bin + u"/Esportazioni"_s));
            QCOMPARE(folders.SharedFile(u"Guida.pdf"_s), path(bin + u"/Guida.pdf"_s));
            QCOMPARE(folders.InstalledData(), path(u"home/anna/.local/share/Codazzurra"_s));
            QCOMPARE(prepareError(folders), QString());
            QVERIFY(!QFileInfo::exists(path(u"home/anna"_s)));
        }
    }

    void installed_eachUserHasADataFolderMadeAtTheFirstStart()
    {
        // /usr/bin holds no program files; the read-only files come from the share folder beside it.
        QVERIFY(QDir().mkpath(path(u"usr/share/codazzurra"_s)));
        const ProgramFolder anna = ProgramFolder::Locate(environment(u"usr/bin"_s, u"home/anna"_s));
        QVERIFY(anna.GetMode() == ProgramFolder::Mode::Installed);
        QCOMPARE(anna.Data(), path(u"home/anna/.local/share/Codazzurra"_s));
        QCOMPARE(anna.Exports(), path(u"home/anna/Documenti/Codazzurra/Esportazioni"_s));
        QCOMPARE(anna.SharedFile(u"Guida.pdf"_s), path(u"usr/share/codazzurra/Guida.pdf"_s));

        // The first start makes the folder, private, with the first password and nothing left beside it.
        QCOMPARE(prepareError(anna), QString());
        const PasswordFile password(anna.DataFile(u"unins000.dll"_s));
        QVERIFY(password.Matches(u"riconoscimento"_s));
        QCOMPARE(QFileInfo(anna.Data()).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
        QCOMPARE(QDir(path(u"home/anna/.local/share"_s))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{u"Codazzurra"_s});
        // Later starts keep what is there: a changed password is never reset.
        password.WriteValue("00");
        QCOMPARE(prepareError(anna), QString());
        QCOMPARE(password.ReadValue(), "00"_ba);

        // Another user on the same machine has a folder and a password of their own.
        const ProgramFolder bruno = ProgramFolder::Locate(environment(u"usr/bin"_s, u"home/bruno"_s));
        QCOMPARE(prepareError(bruno), QString());
        QCOMPARE(bruno.Data(), path(u"home/bruno/.local/share/Codazzurra"_s));
        QVERIFY(PasswordFile(bruno.DataFile(u"unins000.dll"_s)).Matches(u"riconoscimento"_s));
    }

    void installed_followsXdgDataHome()
    {
        ProgramFolder::Environment env = environment(u"opt/bin"_s, u"home/carla"_s);
        env.xdgDataHome = path(u"dati"_s);
        const ProgramFolder folders = ProgramFolder::Locate(env);
        QCOMPARE(folders.Data(), path(u"dati/Codazzurra"_s));
        QCOMPARE(folders.InstalledData(), folders.Data());
        // No share folder beside this executable: the system's.
        QCOMPARE(folders.SharedFile(u"Guida.pdf"_s), path(u"usr/share/codazzurra/Guida.pdf"_s));
        QCOMPARE(prepareError(folders), QString());
        QVERIFY(QFileInfo::exists(path(u"dati/Codazzurra/unins000.dll"_s)));
        // A relative value is not a valid XDG_DATA_HOME, and no documents folder means the home folder.
        env.xdgDataHome = u"dati"_s;
        env.documents = [] { return QString(); };
        const ProgramFolder fallback = ProgramFolder::Locate(env);
        QCOMPARE(fallback.Data(), path(u"home/carla/.local/share/Codazzurra"_s));
        QCOMPARE(fallback.Exports(), path(u"home/carla/Codazzurra/Esportazioni"_s));
    }

    void unusableFolders_stopTheStartWithTheFolderNamed()
    {
        // A file where the data folder should be.
        const ProgramFolder blocked = ProgramFolder::Locate(environment(u"usr/bin"_s, u"home/dario"_s));
        QVERIFY(QDir().mkpath(path(u"home/dario/.local/share"_s)));
        QVERIFY(TestFiles::WriteFile(blocked.Data(), "x"));
        QVERIFY(prepareError(blocked).contains(blocked.Data()));

        // A read-only home: nothing is created, and the message names the folder.
        const ProgramFolder readOnlyHome = ProgramFolder::Locate(environment(u"usr/bin"_s, u"home/elena"_s));
        QVERIFY(QDir().mkpath(path(u"home/elena"_s)));
        QVERIFY(::chmod(QFile::encodeName(path(u"home/elena"_s)).constData(), 0555) == 0);
        QVERIFY(unprivileged([&] {
            const QString error = prepareError(readOnlyHome);
            return error.contains(readOnlyHome.Data()) &&
                   error.contains(u"Impossibile creare o scrivere"_s) &&
                   !QFileInfo::exists(path(u"home/elena/.local"_s));
        }));

        // A portable folder on a read-only medium says where to copy it, and never moves to the home folder.
        const ProgramFolder::Environment cd = environment(u"cdrom"_s, u"home/franco"_s);
        QVERIFY(TestFiles::WriteFile(QDir(cd.executableFolder).filePath(u"Cani.db"_s), {}));
        QVERIFY(::chmod(QFile::encodeName(cd.executableFolder).constData(), 0555) == 0);
        const ProgramFolder portable = ProgramFolder::Locate(cd);
        QVERIFY(portable.GetMode() == ProgramFolder::Mode::Portable);
        QVERIFY(unprivileged([&] {
            const QString error = prepareError(portable);
            return error.contains(portable.Data()) && error.contains(path(u"home/franco/Codazzurra"_s));
        }));
        QVERIFY(!QFileInfo::exists(path(u"home/franco"_s)));
    }
};

QTEST_GUILESS_MAIN(TestFolderRule)
#include "tst_folderrule.moc"
