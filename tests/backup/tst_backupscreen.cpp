// SPDX-License-Identifier: GPL-3.0-or-later
// The backup screen, its start-menu command and indicator, the automatic backup after the password, and the
// offer of the last good generation when an archive is found damaged.
#include "app/Screens.h"
#include "backup/Backup.h"
#include "backup/BackupWorker.h"
#include "backup/Generation.h"
#include "backup/Restore.h"
#include "backup/ui/TfrmBackup.h"
#include "card/ui/RecordCard.h"
#include "kit/CommandPicture.h"
#include "program/Settings.h"
#include "shell/GuideTexts.h"
#include "shell/ui/TfrmAvvio.h"
#include "support/FakeDesktop.h"
#include "support/TestArchive.h"
#include "support/TestFiles.h"
#include "support/TestGui.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestBackupScreen : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeDesktop> m_desktop;
    std::unique_ptr<Screens> m_screens;

    QString folder() const { return m_dir->path(); }
    template <typename T = QWidget> T* find(QWidget* screen, const QString& name)
    {
        auto* w = screen->findChild<T*>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    void waitForWorker()
    {
        QTRY_VERIFY_WITH_TIMEOUT(!m_screens->BackupJobs().IsRunning(), 60000);
        QCoreApplication::processEvents();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_desktop = std::make_unique<FakeDesktop>();
        m_desktop->now = QDateTime(QDate(2026, 3, 14), QTime(10, 0, 0));
        TestArchive archive(folder());
        for (int i = 1; i <= 5; ++i)
            archive.Add(i, "Cavallo " + QByteArray::number(i));
        m_screens = std::make_unique<Screens>(folder());
    }
    void cleanup()
    {
        m_screens.reset();
        m_desktop.reset();
        m_dir.reset();
    }

    void startMenuCommandOpensTheBackupScreen()
    {
        TfrmAvvio* menu = m_screens->StartMenu();
        auto* command = find<CommandPicture>(menu, u"imgCopiaSicurezza"_s);
        QCOMPARE(command->geometry(), QRect(TfrmAvvio::BandSlot(1), QSize(48, 48)));
        QCOMPARE(command->toolTip(), u"Copia di sicurezza"_s);
        QCOMPARE(command->accessibleName(), u"Copia di sicurezza"_s);
        QWidget* shown = nullptr;
        TestGui::WhenModal([&](QWidget* w) {
            shown = w;
            w->close();
        });
        command->click();
        QCOMPARE(shown, static_cast<QWidget*>(m_screens->Backups()));
    }

    void screenMakesVerifiesAndRefusesADamagedGeneration()
    {
        TfrmBackup* screen = m_screens->Backups();
        screen->show();
        find<QPushButton>(screen, u"cmdEsegui"_s)->click();
        waitForWorker();
        auto* table = find<QTableWidget>(screen, u"tblCopie"_s);
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 4)->text(), u"OK"_s);
        QVERIFY(table->item(0, 3)->text().contains(u"Cavalli 5"_s));
        const QString path = Generation::List(Backup::FirstDestination(folder()))[0].path;
        QByteArray bytes = TestFiles::ReadFile(path);
        bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 1);
        QVERIFY(TestFiles::WriteFile(path, bytes));
        find<QPushButton>(screen, u"cmdVerifica"_s)->click();
        waitForWorker();
        QVERIFY(table->item(0, 4)->text().startsWith(u"danneggiata"_s));
        table->selectRow(0);
        find<QPushButton>(screen, u"cmdRipristina"_s)->click();
        QVERIFY(m_desktop->questions.isEmpty()); // not even offered
        QVERIFY(m_desktop->messages.last().text.contains(u"danneggiata"_s));
        // Its guide topic.
        QString title;
        TestGui::WhenModal([&](QWidget* help) {
            title = help->findChild<QLabel*>(u"panTitle"_s)->text();
            help->close();
        });
        find<QPushButton>(screen, u"btnGuida"_s)->click();
        QCOMPARE(title, GuideTexts::Backup().title);
        screen->close();
    }

    void damagedArchiveIsOfferedItsNewestGoodGeneration()
    {
        Backup::Options options;
        options.now = m_desktop->now.addDays(-1);
        QVERIFY(Backup::MakeConfigured(folder(), options).ok);
        TestArchive archive(folder());
        archive.Add(6, "Dopo la copia");
        QByteArray bytes = TestFiles::ReadFile(archive.Path());
        bytes.replace(0, 16, "not a database!!");
        QVERIFY(TestFiles::WriteFile(archive.Path(), bytes));

        m_desktop->answers = {true};
        m_screens->ShowArchiveScreen(TestArchive::Category(), ScreenHost::ArchiveScreen::RecordCard);
        QCOMPARE(m_desktop->questions.size(), 1);
        const QString offer = m_desktop->questions[0].text;
        QVERIFY(offer.contains(u"Cavalli.db"_s));
        QVERIFY(offer.contains(u"13/03/2026 10:00:00"_s));
        QVERIFY(m_desktop->messages.last().text.contains(u"ripristinato"_s));
        // The card is back as it was at the backup; the damaged file is kept aside.
        RecordCard* card = m_screens->Card(TestArchive::Category());
        card->ShowLast();
        QCOMPARE(card->CurrentCardId(), u"5"_s);
        QCOMPARE(TestFiles::ReadFile(m_dir->filePath(Restore::DamagedName(u"Cavalli.db"_s, m_desktop->now))),
                 bytes);
        card->close();

        // Without a generation to offer, damage is still told, naming the archive, where failures are silent.
        QVERIFY(TestFiles::WriteFile(archive.Path(), bytes));
        QDir(Backup::FirstDestination(folder())).removeRecursively();
        m_desktop->messages.clear();
        card->OpenArchiveScreen(ScreenHost::ArchiveScreen::Find);
        QVERIFY(!m_desktop->messages.isEmpty());
        QVERIFY(m_desktop->messages.last().text.contains(u"Cavalli.db"_s));
        QVERIFY(m_desktop->messages.last().text.contains(u"danneggiato"_s));
    }

    void damagedArchiveAtTheUnlockIsToldOnce()
    {
        Backup::Options options;
        options.now = m_desktop->now.addDays(-2);
        QVERIFY(Backup::MakeConfigured(folder(), options).ok);
        TestArchive archive(folder());
        QByteArray bytes = TestFiles::ReadFile(archive.Path());
        bytes.replace(0, 16, "not a database!!");
        bytes.append("changed");
        QVERIFY(TestFiles::WriteFile(archive.Path(), bytes));
        // The check after the password offers the restore (declined); the automatic backup, which leaves
        // the archive out, does not name it a second time.
        m_screens->Unlocked();
        QCoreApplication::processEvents();
        waitForWorker();
        QCOMPARE(Generation::List(Backup::FirstDestination(folder())).size(), std::size_t(2));
        qsizetype told = 0;
        for (const auto& shown : m_desktop->questions + m_desktop->messages)
            told += shown.text.contains(u"Cavalli.db"_s) ? 1 : 0;
        QCOMPARE(told, qsizetype(1));
    }

    void automaticBackupAfterThePasswordShowsItsIndicator()
    {
        Settings(folder()).SetText(Backup::Section, Backup::SecondKey, m_dir->filePath(u"chiavetta"_s));
        Settings(folder()).SetText(Backup::Section, Backup::SkippedKey, u"2026-03-01 09:00:00"_s);
        auto* indicator = find<QLabel>(m_screens->StartMenu(), u"lblCopiaInCorso"_s);
        bool shownWhileRunning = false;
        connect(&m_screens->BackupJobs(), &BackupWorker::Progress, this,
                [&] { shownWhileRunning = shownWhileRunning || indicator->isVisible(); });
        m_screens->Unlocked();
        QVERIFY(m_screens->StartMenu()->isVisible());
        QTRY_VERIFY(m_screens->BackupJobs().IsRunning() ||
                    !Generation::List(Backup::FirstDestination(folder())).empty());
        waitForWorker();
        const auto listed = Generation::List(Backup::FirstDestination(folder()));
        QCOMPARE(listed.size(), std::size_t(1));
        QCOMPARE(listed[0].manifest.reason, Manifest::Reason::Automatic);
        QVERIFY(shownWhileRunning);
        QVERIFY(!indicator->isVisible());
        // The second destination's absence is told at start-up, with since when.
        QVERIFY(std::any_of(m_desktop->messages.begin(), m_desktop->messages.end(),
                            [](const auto& m) { return m.text.contains(u"01/03/2026 09:00"_s); }));
        // Not again within the day.
        m_screens->Unlocked();
        QCoreApplication::processEvents();
        waitForWorker();
        QCOMPARE(Generation::List(Backup::FirstDestination(folder())).size(), std::size_t(1));
    }
};

QTEST_MAIN(TestBackupScreen)
#include "tst_backupscreen.moc"
