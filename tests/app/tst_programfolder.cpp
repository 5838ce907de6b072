// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/GuideTexts.h"
#include "shell/PasswordFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

using namespace Qt::Literals::StringLiterals;

// What the build puts into the program folder.
class TestProgramFolder : public QObject
{
    Q_OBJECT
    const QString m_folder = QStringLiteral(PROGRAM_FOLDER);

private slots:
    void commandLine_runsWithoutADisplayAndSpeaksItalian()
    {
        // No display at all: the modes must not open one.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(u"DISPLAY"_s);
        env.remove(u"WAYLAND_DISPLAY"_s);
        env.remove(u"QT_QPA_PLATFORM"_s);
        auto run = [&env](const QStringList& arguments) {
            QProcess program;
            program.setProcessEnvironment(env);
            program.start(QStringLiteral(PROGRAM_EXE), arguments);
            program.waitForFinished();
            return std::tuple(program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
                              QString::fromUtf8(program.readAllStandardOutput()),
                              QString::fromUtf8(program.readAllStandardError()));
        };
        const auto [helpCode, help, helpErr] = run({u"--help"_s});
        QCOMPARE(helpCode, 0);
        QVERIFY(help.contains(u"--version"_s) && help.contains(u"Mostra questo aiuto."_s));
        // The build's program folder is portable, and the help says so.
        QVERIFY(help.contains(u"Cartella dei dati: \"%1\" (programma portatile"_s.arg(m_folder)));
        const auto [versionCode, version, versionErr] = run({u"--version"_s});
        QCOMPARE(versionCode, 0);
        QCOMPARE(version, u"Codazzurra %1\n"_s.arg(QStringLiteral(CODAZZURRA_VERSION)));
        const auto [wrongCode, wrongOut, wrong] = run({u"--bakcup"_s});
        QCOMPARE(wrongCode, 2);
        QVERIFY(wrong.startsWith(u"Opzione sconosciuta: --bakcup"_s));
    }

    void passwordFile_holdsTheFirstPasswordAndIsNeverReset()
    {
        QTemporaryDir dir;
        QProcess make;
        make.start(QStringLiteral(MAKE_PASSWORD_FILE), {dir.path()});
        QVERIFY(make.waitForFinished() && make.exitCode() == 0);
        const PasswordFile file(dir.filePath(u"unins000.dll"_s));
        QVERIFY(file.Matches(u"riconoscimento"_s));
        // A changed password survives the next build.
        file.WriteValue("00");
        make.start(QStringLiteral(MAKE_PASSWORD_FILE), {dir.path()});
        QVERIFY(make.waitForFinished() && make.exitCode() == 0);
        QCOMPARE(file.ReadValue(), "00"_ba);
        QVERIFY(QFileInfo::exists(m_folder + u"/unins000.dll"_s));
    }

    void build_putsBackAMissingPasswordFile()
    {
        // The build writes the password file whenever it is missing, even when nothing has to be linked.
        const QString path = m_folder + u"/unins000.dll"_s;
        const QByteArray before = TestFiles::ReadFile(path);
        QVERIFY(QFile::remove(path));
        QProcess build;
        build.start(QStringLiteral(CMAKE_COMMAND),
                    {u"--build"_s, QStringLiteral(BUILD_FOLDER), u"--target"_s, u"password_file"_s});
        QVERIFY(build.waitForFinished(120000));
        QCOMPARE(build.exitCode(), 0);
        QVERIFY(QFileInfo::exists(path));
        QVERIFY(PasswordFile(path).Matches(u"riconoscimento"_s));
        QVERIFY(TestFiles::WriteFile(path, before)); // as the developer left it
    }

    void guideMaker_failsWhenItCannotWrite()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::WriteFile(dir.filePath(u"file"_s), "x"));
        QProcess make;
        make.setEnvironment(QProcess::systemEnvironment() << u"QT_QPA_PLATFORM=offscreen"_s);
        make.start(QStringLiteral(MAKE_GUIDE_PDF), {dir.filePath(u"file/Guida.pdf"_s)});
        QVERIFY(make.waitForFinished(60000));
        QVERIFY(make.exitCode() != 0);
        make.start(QStringLiteral(MAKE_GUIDE_PDF), {dir.filePath(u"Guida.pdf"_s)});
        QVERIFY(make.waitForFinished(60000));
        QCOMPARE(make.exitCode(), 0);
        const QByteArray guide = TestFiles::ReadFile(dir.filePath(u"Guida.pdf"_s));
        QVERIFY(guide.startsWith("%PDF"));
        // A disk that fills up midway: the build fails, and the earlier guide stays whole.
        make.setChildProcessModifier([] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 4096;
            setrlimit(RLIMIT_FSIZE, &limit);
        });
        make.start(QStringLiteral(MAKE_GUIDE_PDF), {dir.filePath(u"Guida.pdf"_s)});
        QVERIFY(make.waitForFinished(60000));
        QVERIFY(make.exitCode() != 0);
        QCOMPARE(TestFiles::ReadFile(dir.filePath(u"Guida.pdf"_s)), guide);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({u"file"_s, u"Guida.pdf"_s}));
    }

    void pdfGuide_saysWhatTheGuideScreensSay()
    {
        const QString pdf = m_folder + u"/Guida.pdf"_s;
        QVERIFY(QFileInfo::exists(pdf));
        QProcess text;
        text.start(u"pdftotext"_s, {pdf, u"-"_s});
        QVERIFY(text.waitForFinished());
        const QString content = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        QVERIFY(content.contains(GuideTexts::StartMenu().title));
        QVERIFY(content.contains(GuideTexts::RecordCard().title));
        QVERIFY(content.contains(GuideTexts::Export().title));
        // Ligatures aside, the last words of each topic are there.
        QVERIFY(content.contains(u"buon lavoro!"_s));
        QVERIFY(content.contains(u"di partenza del programma."_s));
    }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
