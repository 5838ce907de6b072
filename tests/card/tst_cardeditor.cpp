// SPDX-License-Identifier: GPL-3.0-or-later
// The record card's rules, without any screen.
#include "card/CardEditor.h"
#include "storage/ESQLiteException.h"
#include "storage/FileArchiveStore.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <optional>

using namespace Qt::Literals::StringLiterals;
using Kind = CardEditor::SaveOutcome::Kind;

namespace {

const CategoryDescriptor& amici()
{
    return *Categories::ByKey(u"Amici"_s);
}

} // namespace

class TestCardEditor : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString dbPath() const { return m_dir->filePath(u"Cavalli.db"_s); }
    std::unique_ptr<CardEditor> editor()
    {
        auto e =
            std::make_unique<CardEditor>(std::make_unique<FileArchiveStore>(amici(), m_dir->path(), 100));
        e->OpenArchive();
        return e;
    }
    // Runs sql on a connection of the test's own, as another copy of the program would.
    void elsewhere(const QString& sql)
    {
        TSQLiteDatabase db(dbPath());
        db.ExecuteStatement(sql);
    }
    QString stored(const QString& column, qint64 id)
    {
        return TestFiles::RunSqliteTool(dbPath(), u"SELECT %1 FROM amici WHERE ID=%2"_s.arg(column).arg(id));
    }
    // Another copy of the program, saving cards in the test's folder (see archive_writer).
    static std::unique_ptr<QProcess> otherCopy(const QStringList& arguments)
    {
        auto copy = std::make_unique<QProcess>();
        copy->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        copy->start(QStringLiteral(ARCHIVE_WRITER), arguments);
        if (!copy->waitForStarted())
            qFatal("archive_writer did not start");
        return copy;
    }
    qint64 insert(CardEditor& e, const QString& name)
    {
        e.Clear();
        e.SetValue(CardFields::Nome, name);
        const auto outcome = e.Save();
        if (outcome.kind != Kind::Inserted)
            qFatal("insert failed: %s", qPrintable(outcome.error));
        return *e.Id();
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void save_insertsThenUpdatesTheSameCard()
    {
        auto e = editor();
        e->SetValue(CardFields::Nome, u"  Fulmine; \"il\" veloce  "_s);
        e->SetValue(CardFields::Note, u"riga 1\r\nriga 2"_s);
        auto outcome = e->Save();
        QCOMPARE(outcome.kind, Kind::Inserted);
        QVERIFY(!outcome.wasStored);
        QCOMPARE(e->IdText(), u"1"_s);
        // Shown as stored: cleaned, trimmed.
        QCOMPARE(e->Value(CardFields::Nome), u"Fulmine   il  veloce"_s);
        e->SetValue(CardFields::Razza, u"Maremmano"_s);
        outcome = e->Save();
        QCOMPARE(outcome.kind, Kind::Updated);
        QVERIFY(outcome.wasStored);
        QCOMPARE(stored(u"count(*)"_s, 1), u"1"_s);
        QCOMPARE(stored(u"varRazza"_s, 1), u"Maremmano"_s);
        // Saving again, with nothing changed elsewhere, is not a conflict with one's own save.
        e->SetValue(CardFields::Peso, u"500 kg"_s);
        QCOMPARE(e->Save().kind, Kind::Updated);
    }

    void save_refusesWhatCannotBeStored()
    {
        auto e = editor();
        e->SetValue(CardFields::Nome, u" ;\"\t "_s);
        QCOMPARE(e->Save().kind, Kind::NameMissing);
        e->SetValue(CardFields::Nome, u"Rex"_s);
        e->SetValue(CardFields::Razza, u"Shiba \u72ac"_s);
        const auto outcome = e->Save();
        QCOMPARE(outcome.kind, Kind::Unrepresentable);
        QCOMPARE(outcome.field, int(CardFields::Razza));
        QCOMPARE(outcome.character, u"\u72ac"_s);
        QVERIFY(!e->Id());
        QCOMPARE(stored(u"count(*)"_s, 1), u"0"_s);
    }

    void save_failureKeepsTheCardAsTyped()
    {
        auto e = editor();
        const qint64 id = insert(*e, u"Rex"_s);
        e->SetValue(CardFields::Nome, u"Rex II"_s);
        e->SetPendingPhoto(m_dir->filePath(u"sparita.jpg"_s), TestFiles::MakeJpeg(QSize(8, 8)));
        const auto outcome = e->Save();
        QCOMPARE(outcome.kind, Kind::Failed);
        QVERIFY(outcome.error.contains(u"sparita.jpg"_s));
        QCOMPARE(*e->Id(), id);
        QCOMPARE(e->Value(CardFields::Nome), u"Rex II"_s);
        QVERIFY(!e->PendingPhotoPath().isEmpty());
        QCOMPARE(stored(u"varNome"_s, id), u"Rex"_s);
    }

    void navigation_walksInIdOrderAndStaysAtTheEnds()
    {
        auto e = editor();
        QVERIFY(!e->Navigate(CardEditor::Step::First)); // empty archive
        for (const QString& name : {u"Uno"_s, u"Due"_s, u"Tre"_s})
            insert(*e, name);
        elsewhere(u"DELETE FROM amici WHERE ID=2"_s);
        e->Clear();
        QVERIFY(e->Navigate(CardEditor::Step::Next)); // a new card goes to the first
        QCOMPARE(e->Value(CardFields::Nome), u"Uno"_s);
        QVERIFY(e->Navigate(CardEditor::Step::Next));
        QCOMPARE(e->IdText(), u"3"_s);
        e->SetValue(CardFields::Razza, u"non salvata"_s);
        QVERIFY(!e->Navigate(CardEditor::Step::Next)); // nothing after: the edit stays
        QCOMPARE(e->Value(CardFields::Razza), u"non salvata"_s);
        QVERIFY(e->Navigate(CardEditor::Step::Previous));
        QCOMPARE(e->IdText(), u"1"_s);
        QVERIFY(!e->Navigate(CardEditor::Step::Previous));
        QVERIFY(e->Navigate(CardEditor::Step::Last));
        QCOMPARE(e->Value(CardFields::Nome), u"Tre"_s);
        elsewhere(u"DELETE FROM amici WHERE ID=3"_s); // the card shown is gone: previous still moves
        QVERIFY(e->Navigate(CardEditor::Step::Previous));
        QCOMPARE(e->IdText(), u"1"_s);
    }

    void identifiers_areSixtyFourBits()
    {
        // Another program may have stored a card whose identifier does not fit 32 bits. Shown as "1" and
        // saved, it would overwrite card 1.
        auto e = editor();
        insert(*e, u"Uno"_s);
        elsewhere(u"INSERT INTO amici (ID, varNome, Ext) VALUES (4294967297, 'Grande', 'JPG')"_s);
        QVERIFY(e->Navigate(CardEditor::Step::Last));
        QCOMPARE(e->IdText(), u"4294967297"_s);
        QVERIFY(e->Navigate(CardEditor::Step::Previous));
        QCOMPARE(e->IdText(), u"1"_s);
        QVERIFY(e->Navigate(CardEditor::Step::Next));
        e->SetValue(CardFields::Razza, u"Frisone"_s);
        QCOMPARE(e->Save().kind, Kind::Updated);
        QCOMPARE(stored(u"varNome || '/' || varRazza"_s, 4294967297), u"Grande/Frisone"_s);
        QCOMPARE(stored(u"varNome || '/' || varRazza"_s, 1), u"Uno/"_s);
    }

    void load_aRowThatCannotBeReadLeavesTheCardAsItWas()
    {
        // A foreign archive whose columns are declared TEXT: the identifier reads, the texts do not.
        elsewhere(
            u"CREATE TABLE amici (ID INTEGER PRIMARY KEY, varNome TEXT, varRazza TEXT, varSesso TEXT, "
            "varDataNasc TEXT, varLuogoNasc TEXT, varProprietario TEXT, varMedico TEXT, varAltezza TEXT, "
            "varLunghezza TEXT, varTaglia TEXT, varPeso TEXT, varColore TEXT, varPelo TEXT, varSegni TEXT, "
            "varPassaporto TEXT, varMicrochip TEXT, varTatuaggio TEXT, varSterilizzato TEXT, "
            "varCertificato TEXT, varAlimentazione TEXT, varVaccinazioni TEXT, varProfilo TEXT, "
            "varAddestratore TEXT, varTelefono TEXT, varPrezzo TEXT, varSpecialita TEXT, varNote TEXT, "
            "varDidascalia TEXT, varFile01 TEXT, varFile02 TEXT, varFile03 TEXT, varDesc01 TEXT, "
            "varDesc02 TEXT, varDesc03 TEXT, varCartella TEXT, varCartellaDesc TEXT, Picture BLOB, "
            "Ext TEXT)"_s);
        elsewhere(
            u"INSERT INTO amici (ID, varNome, varNote, Ext) VALUES (1, 'Uno', 'nota preziosa', 'JPG')"_s);
        elsewhere(u"INSERT INTO amici (ID, varNome, Ext) VALUES (2, 'Due', 'JPG')"_s);
        auto e = editor();
        e->SetValue(CardFields::Nome, u"scritto a mano"_s);
        QVERIFY_THROWS_EXCEPTION(ESQLiteException, e->Store().Read(2));
        // Nothing of card 2 was taken: not its identifier, not its texts.
        QVERIFY(!e->Id());
        QCOMPARE(e->Value(CardFields::Nome), u"scritto a mano"_s);
        QVERIFY_THROWS_EXCEPTION(ESQLiteException, e->Navigate(CardEditor::Step::First));
        QVERIFY(!e->Id());
        QCOMPARE(stored(u"varNote"_s, 1), u"nota preziosa"_s);
    }

    void save_anotherCopysChangesAreNeverLostSilently()
    {
        auto a = editor();
        insert(*a, u"Uno"_s);
        insert(*a, u"Due"_s);
        auto b = editor();
        QVERIFY(a->Navigate(CardEditor::Step::Last));
        QVERIFY(b->Navigate(CardEditor::Step::Last));
        a->SetValue(CardFields::Razza, u"Lipizzano"_s);
        QCOMPARE(a->Save().kind, Kind::Updated);

        b->SetValue(CardFields::Peso, u"480 kg"_s);
        auto outcome = b->Save();
        QCOMPARE(outcome.kind, Kind::ChangedElsewhere);
        QCOMPARE(stored(u"varRazza || '/' || varPeso"_s, 2), u"Lipizzano/"_s); // nothing stored
        QCOMPARE(b->Value(CardFields::Peso), u"480 kg"_s);                     // the card as typed

        // Asked to, the card is written over the other copy's version.
        outcome = b->Save(true);
        QCOMPARE(outcome.kind, Kind::Updated);
        QCOMPARE(stored(u"varRazza || '/' || varPeso"_s, 2), u"/480 kg"_s);
        // And B may go on saving its card.
        b->SetValue(CardFields::Taglia, u"grande"_s);
        QCOMPARE(b->Save().kind, Kind::Updated);

        // A photo stored elsewhere is a change too; a deleted card cannot be saved over.
        QVERIFY(a->Navigate(CardEditor::Step::First));
        {
            TSQLiteDatabase db(dbPath());
            db.StoreBlob(u"UPDATE amici SET picture = ? WHERE ID = 1"_s, TestFiles::MakeJpeg(QSize(4, 4)));
        }
        QCOMPARE(a->Save().kind, Kind::ChangedElsewhere);
        elsewhere(u"DELETE FROM amici WHERE ID=1"_s);
        outcome = a->Save();
        QCOMPARE(outcome.kind, Kind::Failed);
        QVERIFY(outcome.error.contains(u"non \u00e8 pi\u00f9 presente in archivio"_s));
        QCOMPARE(stored(u"count(*)"_s, 1), u"0"_s);
    }

    void save_storesThePendingPhotoWithTheTexts()
    {
        auto e = editor();
        const QByteArray jpeg = TestFiles::MakeJpeg(QSize(64, 48));
        const QString path = m_dir->filePath(u"foto.jpg"_s);
        QVERIFY(TestFiles::WriteFile(path, jpeg));
        e->SetValue(CardFields::Nome, u"Con foto"_s);
        e->SetPendingPhoto(path, jpeg);
        QCOMPARE(e->Save().kind, Kind::Inserted);
        QVERIFY(e->PendingPhotoPath().isEmpty());
        QCOMPARE(e->PhotoBytes(), jpeg);
        QCOMPARE(stored(u"length(Picture)"_s, 1), QString::number(jpeg.size()));
        // Saved again without a new photo, the stored one stays, and is no conflict.
        e->SetValue(CardFields::Razza, u"x"_s);
        QCOMPARE(e->Save().kind, Kind::Updated);
        QCOMPARE(stored(u"length(Picture)"_s, 1), QString::number(jpeg.size()));
    }

    void duplicate_keepsTheVisibleTextsOnly()
    {
        auto e = editor();
        QVERIFY(!e->Duplicate()); // not stored yet
        e->SetValue(CardFields::Nome, u"Originale"_s);
        e->SetValue(CardFields::File01, u"/tmp/a.pdf"_s);
        e->SetValue(CardFields::Cartella, u"/tmp"_s);
        e->SetPendingPhoto(m_dir->filePath(u"x.jpg"_s), QByteArray("x"));
        QVERIFY(TestFiles::WriteFile(m_dir->filePath(u"x.jpg"_s), TestFiles::MakeJpeg(QSize(4, 4))));
        QCOMPARE(e->Save().kind, Kind::Inserted);
        QVERIFY(e->Duplicate());
        QVERIFY(!e->Id());
        QCOMPARE(e->Value(CardFields::Nome), u"Originale"_s);
        QVERIFY(e->Value(CardFields::File01).isEmpty());
        QVERIFY(e->Value(CardFields::Cartella).isEmpty());
        QVERIFY(e->PhotoBytes().isEmpty());
        QCOMPARE(e->Save().kind, Kind::Inserted);
        QCOMPARE(e->IdText(), u"2"_s);
        QCOMPARE(stored(u"Picture IS NULL"_s, 2), u"1"_s);
    }

    void delete_reportsWhatHappened()
    {
        auto e = editor();
        QCOMPARE(e->Delete(), CardEditor::DeleteOutcome::NotStored);
        insert(*e, u"Uno"_s);
        insert(*e, u"Due"_s);
        QCOMPARE(e->Delete(), CardEditor::DeleteOutcome::Deleted);
        QVERIFY(!e->Id());
        QVERIFY(e->Value(CardFields::Nome).isEmpty());
        QCOMPARE(stored(u"count(*)"_s, 0), u"0"_s);

        // The card is deleted, but reading the archive afterwards fails: the delete is not reported as
        // failed. (The archive is made a view whose rows cannot be read.)
        insert(*e, u"Quattro"_s);
        QVERIFY(e->Navigate(CardEditor::Step::First));
        elsewhere(u"ALTER TABLE amici RENAME TO amici_dati"_s);
        elsewhere(
            u"CREATE VIEW amici AS SELECT *, CASE WHEN ID = 1 THEN 0 ELSE abs(-9223372036854775807 - 1) END "
            "AS guasto FROM amici_dati"_s);
        elsewhere(u"CREATE TRIGGER cancella INSTEAD OF DELETE ON amici BEGIN "
                  "DELETE FROM amici_dati WHERE ID = old.ID; END"_s);
        QCOMPARE(e->Delete(), CardEditor::DeleteOutcome::Deleted);
        QVERIFY(!e->Id());
        QCOMPARE(TestFiles::RunSqliteTool(dbPath(), u"SELECT group_concat(ID) FROM amici_dati"_s), u"2"_s);

        // A delete that fails itself is raised, and the card stays.
        auto f = std::make_unique<CardEditor>(std::make_unique<FileArchiveStore>(amici(), m_dir->path()));
        elsewhere(u"DROP VIEW amici"_s);
        elsewhere(u"ALTER TABLE amici_dati RENAME TO amici"_s);
        f->OpenArchive();
        insert(*f, u"Tre"_s);
        elsewhere(u"CREATE TRIGGER vieta BEFORE DELETE ON amici BEGIN SELECT raise(ABORT, 'vietato'); END"_s);
        QVERIFY_THROWS_EXCEPTION(ESQLiteException, f->Delete());
        QVERIFY(f->Id());
        QCOMPARE(f->Value(CardFields::Nome), u"Tre"_s);
    }

    void saves_waitForAnotherCopyWriting()
    {
        // Two copies save their own cards at once. A save may wait for the other's lock (and fail only once
        // the busy timeout is over) but never fails at once because the other is writing.
        auto e = editor();
        insert(*e, u"Uno"_s);
        insert(*e, u"Due"_s);
        e.reset();
        elsewhere(u"UPDATE amici SET Picture = randomblob(300000)"_s); // photos make each save longer
        std::vector<std::unique_ptr<QProcess>> copies;
        for (const QString& id : {u"1"_s, u"2"_s})
            copies.push_back(otherCopy({u"update"_s, m_dir->path(), id, u"100"_s}));
        for (const auto& copy : copies) {
            QVERIFY(copy->waitForFinished(-1));
            const QString report = QString::fromUtf8(copy->readAllStandardOutput());
            QVERIFY2(report.contains(u" conflicts=0 immediate=0 "_s) && report.contains(u" other=0"_s),
                     qPrintable(report));
        }
    }

    void newArchive_isCreatedOnceByTwoCopies()
    {
        // Two copies save the first card of an archive that does not exist yet. In every other trial the
        // write lock is held for a moment first, so that both find the table missing before either can
        // create it.
        const std::array copies{otherCopy({u"create"_s}), otherCopy({u"create"_s})};
        QStringList failures;
        for (int trial = 0; trial < 60; ++trial) {
            const QString folder = m_dir->filePath(QString::number(trial));
            QVERIFY(QDir().mkpath(folder));
            std::optional<TSQLiteDatabase> holder;
            if (trial % 2) {
                holder.emplace(folder + u"/Cavalli.db"_s);
                holder->ExecuteStatement(u"BEGIN IMMEDIATE"_s);
            }
            for (const auto& copy : copies) {
                copy->write((folder + u'\n').toUtf8());
                QVERIFY(copy->waitForBytesWritten(-1));
            }
            if (holder) {
                QThread::msleep(50);
                holder->ExecuteStatement(u"ROLLBACK"_s);
            }
            for (const auto& copy : copies) {
                while (!copy->canReadLine())
                    QVERIFY(copy->waitForReadyRead(-1));
                const QString answer = QString::fromUtf8(copy->readLine()).trimmed();
                if (answer != u"ok"_s)
                    failures << answer;
            }
        }
        QCOMPARE(failures, QStringList());
        for (const auto& copy : copies) {
            copy->closeWriteChannel();
            QVERIFY(copy->waitForFinished(-1));
        }
    }
};

QTEST_GUILESS_MAIN(TestCardEditor)
#include "tst_cardeditor.moc"
