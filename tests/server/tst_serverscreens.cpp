// SPDX-License-Identifier: GPL-3.0-or-later
// The program's screens with their archives on a real PostgreSQL server (tests/support/PgTestServer): the
// start-up when the server cannot be reached, where the help and the information screen say the archives
// are, and the record card's save between workstations and while the server is stopped.
#include "app/CommandLine.h"
#include "card/ui/RecordCard.h"
#include "program/Settings.h"
#include "server/ServerArchiveStore.h"
#include "server/ServerLink.h"
#include "shell/ProgramFolder.h"
#include "shell/ui/TfrmInfo.h"
#include "support/PgTestServer.h"
#include "support/ProgramFixture.h"

#include <QGroupBox>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestServerScreens : public QObject, ProgramFixture
{
    Q_OBJECT

public:
    explicit TestServerScreens(PgTestServer& server)
        : m_server(server)
    {}

private:
    PgTestServer& m_server;
    RecordCard* m_card = nullptr;
    bool m_stopped = false;

    static const CategoryDescriptor& amici() { return *Categories::ByKey(u"Amici"_s); }
    // The program of a folder whose Codazzurra.ini names server.
    void startOn(const QString& server)
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_desktop = std::make_unique<FakeDesktop>();
        Settings(m_dir->path()).SetText("Archivi", "Server", server);
        m_screens = std::make_unique<Screens>(m_dir->path());
        m_card = m_screens->Card(amici());
    }
    // Another workstation's store of the horses' archive.
    std::unique_ptr<ArchiveStore> elsewhere() const
    {
        return std::make_unique<ServerArchiveStore>(
            amici(), std::make_shared<ServerLink>(m_server.ConnectionString()));
    }
    void save()
    {
        m_desktop->clear();
        m_card->SaveCard();
    }
    QString name() const { return m_card->Value(CardFields::Nome); }

private slots:
    void initTestCase()
    {
        if (!m_server.Error().isEmpty())
            QFAIL(qPrintable(m_server.Error()));
    }
    void init() { QCOMPARE(m_server.ResetDatabase(), QString()); }
    void cleanup()
    {
        m_card = nullptr;
        stopProgram();
        if (m_stopped) // a test that failed while the server was stopped
            QCOMPARE(m_server.Start(), QString());
        m_stopped = false;
    }

    void startUp_namesTheServerAndOffersToRetry()
    {
        startOn(u"host=127.0.0.1 port=1 dbname=archivi user=anna password=Segreto42"_s);
        m_desktop->choices = {0, 1}; // "Riprova", then "Esci"
        QVERIFY(!m_screens->ReachArchives());
        QCOMPARE(m_desktop->questions.size(), 2);
        const QString text = m_desktop->questions.front().text;
        QVERIFY2(text.contains(u"127.0.0.1:1/archivi"_s) && text.contains(u"Riprova"_s) &&
                     !text.contains(u"Segreto42"_s) && !text.contains(u"anna"_s),
                 qPrintable(text));

        // The help and the information screen say where the archives are.
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        QCOMPARE(CommandLine::Run({u"--help"_s}, ProgramFolder(m_dir->path()), outStream, errStream), 0);
        outStream.flush();
        QVERIFY2(out.contains(u"Archivi: sul server 127.0.0.1:1/archivi"_s), qPrintable(out));
        const QString tip = m_screens->Info()->findChild<QGroupBox*>(u"grpInfo"_s)->toolTip();
        QVERIFY2(tip.contains(u"Archivi: sul server 127.0.0.1:1/archivi"_s), qPrintable(tip));
        stopProgram();

        // A server that answers: no question.
        startOn(m_server.ConnectionString());
        QVERIFY(m_screens->ReachArchives());
        QVERIFY(m_desktop->questions.isEmpty());
    }

    void recordCard_savesBetweenWorkstations()
    {
        startOn(m_server.ConnectionString());
        m_card->show();
        m_card->SetValue(CardFields::Nome, u"Rex"_s);
        save();
        QCOMPARE(m_desktop->messages.size(), 1);
        const qint64 id = m_card->CurrentCardId().toLongLong();
        auto other = elsewhere();
        QCOMPARE(other->Read(id)->stored.texts.at(CardFields::Nome), QByteArray("Rex"));

        // Changed at another workstation: the card asks; "No" keeps the typed card unsaved.
        const StoredCard read = other->Read(id)->stored;
        CardValues theirs;
        theirs[CardFields::Nome] = u"Rex II"_s;
        other->SaveCard(id, theirs, {}, &read);
        m_card->SetValue(CardFields::Nome, u"Fido"_s);
        save();
        QCOMPARE(m_desktop->questions.size(), 1);
        QVERIFY(m_desktop->messages.isEmpty());
        QCOMPARE(name(), u"Fido"_s);
        QCOMPARE(other->Read(id)->stored.texts.at(CardFields::Nome), QByteArray("Rex II"));
        m_desktop->answers = {true}; // overwrite
        save();
        QCOMPARE(other->Read(id)->stored.texts.at(CardFields::Nome), QByteArray("Fido"));

        // Deleted at another workstation: the save says so and stores nothing.
        other->DeleteCard(id);
        m_card->SetValue(CardFields::Razza, u"Maremmano"_s);
        save();
        QCOMPARE(m_desktop->messages.size(), 1);
        QVERIFY2(m_desktop->lastText().contains(u"non \u00e8 stata salvata"_s) &&
                     m_desktop->lastText().contains(u"non \u00e8 pi\u00f9 presente"_s),
                 qPrintable(m_desktop->lastText()));
        QCOMPARE(other->CardCount(), 0);

        // The server gives the space back by itself: nothing to ask, and never "completata".
        m_desktop->clear();
        m_card->CompactArchive();
        QVERIFY(m_desktop->questions.isEmpty());
        QVERIFY2(m_desktop->lastText().contains(u"non serve ottimizzarlo"_s),
                 qPrintable(m_desktop->lastText()));
    }

    void serverStopped_theTypedCardStaysAndSavesOnceBack()
    {
        startOn(m_server.ConnectionString());
        m_card->show();
        m_card->SetValue(CardFields::Nome, u"Rex"_s);
        save();
        const qint64 id = m_card->CurrentCardId().toLongLong();

        QCOMPARE(m_server.Stop(), QString());
        m_stopped = true;
        m_card->SetValue(CardFields::Nome, u"Fido"_s);
        save();
        QCOMPARE(m_desktop->messages.size(), 1);
        QVERIFY2(m_desktop->lastText().contains(u"non \u00e8 stata salvata"_s) &&
                     m_desktop->lastText().contains(u"server degli archivi"_s),
                 qPrintable(m_desktop->lastText()));
        QCOMPARE(name(), u"Fido"_s);
        QCOMPARE(m_card->CurrentCardId(), QString::number(id));

        QCOMPARE(m_server.Start(), QString());
        m_stopped = false;
        save();
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages.front().title, u"Aggiornamento effettuato con successo"_s);
        QCOMPARE(elsewhere()->Read(id)->stored.texts.at(CardFields::Nome), QByteArray("Fido"));
    }
};

int main(int argc, char* argv[])
{
    CodazzurraApplication app(argc, argv);
    PgTestServer server;
    TestServerScreens test(server);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_serverscreens.moc"
