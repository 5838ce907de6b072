// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/AutomationRegistry.h"
#include "import/ColumnMapping.h"
#include "import/ui/ImportScreen.h"
#include "kit/ScreenHost.h"
#include "shell/GuideTexts.h"
#include "storage/CardFields.h"
#include "support/FakeDesktop.h"
#include "support/TestArchive.h"
#include "support/TestFiles.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
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
    void ShowGuideTopic(const GuideTopic& topic) override { guides << topic.title; }
    void OpenMakerWebSite() override {}
    const Automation::Registry& OfficeServers() const override { return m_registry; }
    void Show(Screen) override {}
    void ShowArchiveScreen(const CategoryDescriptor&, ArchiveScreen, const QString&) override {}
    CardTarget* CardByToken(const QString&) override { return nullptr; }

    QStringList guides;

private:
    QString m_folder;
    Automation::Registry m_registry;
};

} // namespace

class TestImportScreen : public QObject
{
    Q_OBJECT

private slots:
    // The user's way through: the file, its mapping changed, the dry run with a duplicate, the choice,
    // a cancelled import, the import, the saved report.
    void steps_fromFileToReport()
    {
        QTemporaryDir dir;
        TestArchive archive(dir.path());
        archive.AddTexts(1, {{u"varNome"_s, u"Rex"_s}, {u"varMicrochip"_s, u"111"_s}});
        const QString csv = dir.filePath(u"animali.csv"_s);
        QVERIFY(TestFiles::WriteFile(csv, "Nome animale;Chip;Soprannome\nFido;222;Fi\nRex bis;111;Re\n"));
        FakeDesktop desktop;
        Host host(dir.path());
        ImportScreen screen(host);
        auto* archives = screen.findChild<QComboBox*>(u"cmbArchivio"_s);
        archives->setCurrentIndex(archives->findText(u"Cavalli"_s));
        desktop.files = {csv};
        screen.ChooseFile();
        QCOMPARE(screen.Mapping(), (QList<int>{CardFields::Nome, 15, ColumnMapping::Ignored}));
        // The third column goes to the caption.
        auto* third = screen.findChild<QComboBox*>(u"cmbCampo3"_s);
        third->setCurrentIndex(third->findData(int(CardFields::Didascalia)));
        screen.findChild<QPushButton*>(u"cmdAvanti"_s)->click();
        screen.findChild<QPushButton*>(u"cmdAvanti"_s)->click();
        QCOMPARE(screen.LastReport().outcome, ImportReport::Outcome::Ready);
        QCOMPARE(screen.LastReport().accepted, 1); // the duplicate of Rex is skipped by default
        auto* import = screen.findChild<QPushButton*>(u"cmdImporta"_s);
        QVERIFY(import->isEnabled());
        screen.findChild<QAbstractButton*>(u"optImportaDoppioni"_s)->click();
        QCOMPARE(screen.LastReport().accepted, 2);
        QVERIFY(
            screen.findChild<QPlainTextEdit*>(u"txtRapporto"_s)->toPlainText().contains(u"scheda n. 1"_s));

        QTimer::singleShot(0, &screen, [&] { screen.Cancel(); });
        import->click();
        QCOMPARE(screen.LastReport().outcome, ImportReport::Outcome::Cancelled);
        QCOMPARE(TestFiles::RunSqliteTool(archive.Path(), u"SELECT count(*) FROM amici"_s), u"1"_s);
        QVERIFY(!import->isEnabled()); // only a fresh dry run leads to an import
        screen.RunDryRun();
        import->click();
        QCOMPARE(screen.LastReport().outcome, ImportReport::Outcome::Imported);
        QCOMPARE(TestFiles::RunSqliteTool(
                     archive.Path(),
                     u"SELECT group_concat(varNome || '/' || ifnull(varDidascalia, '')) FROM amici"_s),
                 u"Rex/,Fido/Fi,Rex bis/Re"_s);

        desktop.files = {dir.filePath(u"rapporto"_s)};
        screen.findChild<QPushButton*>(u"cmdSalvaRapporto"_s)->click();
        QVERIFY(TestFiles::ReadFile(dir.filePath(u"rapporto.txt"_s)).contains("Schede aggiunte: 2\r\n"));
        screen.findChild<QPushButton*>(u"cmdGuida"_s)->click();
        QCOMPARE(host.guides, QStringList{GuideTexts::Import().title});
    }

    void unreadableFile_isSaidAndGoesNoFurther()
    {
        QTemporaryDir dir;
        FakeDesktop desktop;
        Host host(dir.path());
        ImportScreen screen(host);
        QVERIFY(TestFiles::WriteFile(dir.filePath(u"vuoto.csv"_s), {}));
        desktop.files = {dir.filePath(u"vuoto.csv"_s)};
        screen.ChooseFile();
        QVERIFY(desktop.lastText().contains(u"vuoto"_s));
        QVERIFY(!screen.findChild<QPushButton*>(u"cmdAvanti"_s)->isEnabled());
    }
};

QTEST_MAIN(TestImportScreen)
#include "tst_importscreen.moc"
