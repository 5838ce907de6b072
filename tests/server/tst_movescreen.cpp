// SPDX-License-Identifier: GPL-3.0-or-later
// The archives' server screen offscreen, against a real PostgreSQL server: the two moves as the user runs
// them, the question before replacing the server's cards, and its command on the start menu.
#include "automation/AutomationRegistry.h"
#include "kit/ScreenHost.h"
#include "program/Settings.h"
#include "schedule/ScheduleBook.h"
#include "server/ServerArchiveStore.h"
#include "server/ServerLink.h"
#include "server/ui/ServerScreen.h"
#include "shell/ui/TfrmAvvio.h"
#include "storage/FileArchiveStore.h"
#include "support/FakeDesktop.h"
#include "support/PgTestServer.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

class Host final : public ScreenHost
{
public:
    explicit Host(QString folder)
        : m_folder(std::move(folder))
    {}
    QString ProgramFolder() const override { return m_folder; }
    QString ProgramFile(const QString& name) const override { return m_folder + u'/' + name; }
    QString PasswordFilePath() const override { return {}; }
    QString SharedFile(const QString& name) const override { return ProgramFile(name); }
    QString ExportsFolder() const override { return m_folder + u"/Esportazioni"_s; }
    void ShowGuideTopic(const GuideTopic&) override {}
    void OpenMakerWebSite() override {}
    const Automation::Registry& OfficeServers() const override { return m_registry; }
    void Show(Screen screen) override { shown << screen; }
    void ShowArchiveScreen(const CategoryDescriptor&, ArchiveScreen, const QString&) override {}
    CardTarget* CardByToken(const QString&) override { return nullptr; }

    QList<Screen> shown;

private:
    QString m_folder;
    Automation::Registry m_registry;
};

const CategoryDescriptor& cavalli()
{
    return *Categories::ByKey(u"Amici"_s);
}

CardValues named(const QString& name)
{
    CardValues values;
    values[CardFields::Nome] = name;
    return values;
}

void click(ServerScreen& screen, const QString& button)
{
    auto* b = screen.findChild<QPushButton*>(button);
    QVERIFY(b && b->isEnabled());
    b->click();
}

} // namespace

class TestMoveScreen : public QObject
{
    Q_OBJECT

    PgTestServer m_server;

private slots:
    void initTestCase() { QVERIFY2(m_server.Error().isEmpty(), qPrintable(m_server.Error())); }

    void moves_asTheUserRunsThem()
    {
        QTemporaryDir dir;
        FakeDesktop desktop;
        Host host(dir.path());
        {
            FileArchiveStore store(cavalli(), dir.path());
            const qint64 rex = store.SaveCard({}, named(u"Rex"_s), {});
            store.SaveCard({}, named(u"Fido"_s), {});
            ScheduleBook(cavalli(), dir.path()).AddEntry(rex, {u"Visita"_s, {}, QDate(2026, 1, 1), 0, {}});
        }
        ServerScreen screen(host);

        // No server in the settings: said, and nothing runs.
        click(screen, u"cmdCopiaSulServer"_s);
        QVERIFY(!screen.IsRunning());
        QVERIFY2(desktop.lastText().contains(u"Nessun server"_s), qPrintable(desktop.lastText()));

        Settings(dir.path()).SetText("Archivi", "Server", m_server.ConnectionString());
        click(screen, u"cmdCopiaSulServer"_s);
        screen.Wait();
        QVERIFY2(screen.ResultLines().contains(
                     u"Cavalli: 2 schede copiate e verificate, con 1 riga di scadenze e libretto"_s),
                 qPrintable(screen.ResultLines().join(u'\n')));
        QCOMPARE(screen.ResultLines().size(), 10);
        QVERIFY2(desktop.lastText().contains(u"copiati sul server"_s), qPrintable(desktop.lastText()));

        // The server holds cards now: asked first; "No" leaves the server as it is, "S\u00ec" replaces.
        ServerArchiveStore onServer(cavalli(), std::make_shared<ServerLink>(m_server.ConnectionString()));
        onServer.SaveCard({}, named(u"Solo sul server"_s), {});
        desktop.answers = {false};
        click(screen, u"cmdCopiaSulServer"_s);
        screen.Wait();
        QVERIFY(desktop.questions.back().text.contains(u"Sostituirle"_s));
        QCOMPARE(onServer.CardCount(), 3);
        desktop.answers = {true};
        click(screen, u"cmdCopiaSulServer"_s);
        screen.Wait();
        QVERIFY(screen.IsRunning()); // the replacing copy, after the question
        screen.Wait();
        QCOMPARE(onServer.CardCount(), 2);

        // From the server: only into an empty or new folder.
        desktop.files = {dir.path()};
        click(screen, u"cmdCopiaDalServer"_s);
        screen.Wait();
        QVERIFY2(desktop.lastText().contains(u"non \u00e8 vuota"_s), qPrintable(desktop.lastText()));
        const QString target = dir.filePath(u"copia"_s);
        desktop.files = {target};
        click(screen, u"cmdCopiaDalServer"_s);
        screen.Wait();
        QVERIFY2(desktop.lastText().contains(u"scritti e verificati"_s), qPrintable(desktop.lastText()));
        QCOMPARE(FileArchiveStore(cavalli(), target).CardCount(), 2);
        QCOMPARE(FileArchiveStore(cavalli(), target).ScheduleRows().entries.size(), std::size_t(1));
    }

    void startMenu_hasTheServerCommand()
    {
        QTemporaryDir dir;
        FakeDesktop desktop;
        Host host(dir.path());
        TfrmAvvio menu(host);
        auto* command = menu.findChild<QWidget*>(u"imgServer"_s);
        QVERIFY(command);
        QCOMPARE(command->pos(), TfrmAvvio::BandSlot(4));
        QCOMPARE(command->accessibleName(), u"Archivi sul server"_s);
        QTest::mouseClick(command, Qt::LeftButton);
        QCOMPARE(host.shown, QList<ScreenHost::Screen>{ScreenHost::Screen::Server});
    }
};

QTEST_MAIN(TestMoveScreen)
#include "tst_movescreen.moc"
