// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/CommandQueue.h"
#include "kit/DefaultHandlers.h"
#include "kit/QtDesktop.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

// The desktop's commands, played by shell scripts that take their time: what the program does before they
// end shows whether it waited for them.
class TestDesktopCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    bool writeScript(const QString& name, const QByteArray& body)
    {
        QFile script(path(name));
        return TestFiles::WriteFile(script.fileName(),
                                    "#!/bin/sh\nD='" + QFile::encodeName(m_dir.path()) + "'\n" + body) &&
               script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void release(const QString& name) { QVERIFY(TestFiles::WriteFile(path(name), "")); }
    QStringList log() const
    {
        return QString::fromUtf8(TestFiles::ReadFile(path(u"log"_s))).split(u'\n', Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase()
    {
        // A fake xdg-mime, first on the search path: "slow/..." never answers, "none/..." has no program,
        // any other type has one.
        QVERIFY(writeScript(u"xdg-mime"_s, "case \"$3\" in\n"
                                           "  slow/*) exec sleep 600;;\n"
                                           "  none/*) ;;\n"
                                           "  *) echo a.desktop;;\n"
                                           "esac\n"));
        qputenv("PATH", QFile::encodeName(m_dir.path()) + ':' + qgetenv("PATH"));
    }

    void defaultHandlers_neverWaitAndNotKnowingIsNoFailure()
    {
        // Asked while the desktop has not answered: the caller goes ahead at once.
        QtDesktop real;
        QVERIFY(real.HasDefaultHandler(u"slow/a"_s));
        real.LookUpDefaultHandlers({u"none/a"_s});
        QTRY_VERIFY(!real.HasDefaultHandler(u"none/a"_s));

        // A question that runs out of time is not "no program".
        DefaultHandlers impatient(nullptr, 10);
        QVERIFY(impatient.Has(u"slow/b"_s));
        QTRY_VERIFY_WITH_TIMEOUT(impatient.findChildren<QProcess*>().isEmpty(), 30000); // ended
        QVERIFY(impatient.Has(u"slow/b"_s));
    }

    void commandQueue_runsEachRequestAfterTheOneBefore()
    {
        // Each request logs its start, waits for its word, and logs its end.
        QVERIFY(writeScript(u"request"_s, "echo \"start $1\" >> \"$D/log\"\n"
                                          "while [ ! -e \"$D/$1\" ]; do sleep 0.02; done\n"
                                          "echo \"end $1\" >> \"$D/log\"\n"));
        {
            CommandQueue queue;
            queue.Run(path(u"request"_s), {u"suspend"_s});
            queue.Run(path(u"missing"_s), {}); // cannot start: the next one runs all the same
            queue.Run(path(u"request"_s), {u"resume"_s});
            QTRY_COMPARE(log(), QStringList{u"start suspend"_s});
            QTest::qWait(100);
            QCOMPARE(log(), QStringList{u"start suspend"_s});
            release(u"suspend"_s);
            QTRY_COMPARE(log(), (QStringList{u"start suspend"_s, u"end suspend"_s, u"start resume"_s}));
            release(u"resume"_s);
            QTRY_COMPARE(log().size(), 4);

            // A request still waiting when the queue goes is run to its end first.
            QFile::remove(path(u"resume"_s));
            queue.Run(path(u"request"_s), {u"suspend"_s});
            queue.Run(path(u"request"_s), {u"resume"_s});
            release(u"resume"_s);
        }
        QCOMPARE(log().mid(4),
                 (QStringList{u"start suspend"_s, u"end suspend"_s, u"start resume"_s, u"end resume"_s}));
    }
};

QTEST_MAIN(TestDesktopCommands)
#include "tst_desktopcommands.moc"
