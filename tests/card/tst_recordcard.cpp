// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/ui/AttachmentDialog.h"
#include "card/ui/RecordCard.h"
#include "kit/Colours.h"
#include "kit/CommandPicture.h"
#include "kit/PictureBox.h"
#include "kit/TfrmZoom.h"
#include "kit/WindowPlacement.h"
#include "shell/ui/TfrmAvvio.h"
#include "storage/ESQLiteException.h"
#include "support/ProgramFixture.h"
#include "support/RecordingServer.h"
#include "support/TestFiles.h"
#include "support/TestGui.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestRecordCard : public QObject, ProgramFixture
{
    Q_OBJECT

    RecordCard* m_card = nullptr;

    const CategoryDescriptor& amici() const { return *Categories::ByKey(u"Amici"_s); }
    QString dbPath() const { return m_dir->filePath(u"Cavalli.db"_s); }

    template <typename T = QWidget> T* find(const QString& name) { return child<T>(m_card, name); }
    void click(const QString& name) { QTest::mouseClick(find(name), Qt::LeftButton); }
    void type(const QString& field, const QString& text) { enterText(m_card, field, text); }
    QString text(const QString& field)
    {
        QWidget* w = find(field);
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            return edit->text();
        if (auto* combo = qobject_cast<QComboBox*>(w))
            return combo->currentText();
        if (auto* label = qobject_cast<QLabel*>(w))
            return label->text();
        return static_cast<QPlainTextEdit*>(w)->toPlainText();
    }
    QString position() { return text(u"lblPosizione"_s); }
    // The cards stored in the archive, by a connection of the test's own.
    qint64 storedCount()
    {
        TSQLiteDatabase db(dbPath());
        return db.OpenQuery(u"SELECT count(*) FROM amici"_s)->IntegerValue(0);
    }
    QByteArray storedPicture(qint64 id)
    {
        TSQLiteDatabase db(dbPath());
        auto t = db.OpenQuery(u"SELECT picture FROM amici WHERE ID=%1"_s.arg(id));
        return t->BlobText(0);
    }
    void addCards(const QStringList& names)
    {
        QList<CardValues> cards(names.size());
        for (qsizetype i = 0; i < names.size(); ++i)
            cards[i][CardFields::Nome] = names[i];
        m_archive->Insert(cards);
    }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir->filePath(name);
        if (!TestFiles::WriteFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    void save()
    {
        m_desktop->clear();
        click(u"cmdSalva"_s);
    }

private slots:
    void init()
    {
        startProgram();
        m_card = m_screens->Card(amici());
        TestArchive::FileStore(m_card->Store()).SetBusyTimeout(100);
        m_card->show();
    }
    void cleanup() { stopProgram(); }

    void layout_followsTheCategory()
    {
        QCOMPARE(m_card->objectName(), u"TfrmAmici"_s);
        QCOMPARE(m_card->windowTitle(), u"  Cavalli"_s);
        QCOMPARE(find<QLabel>(u"lblColore"_s)->text(), u"Colore mantello:"_s);
        QCOMPARE(find<QLabel>(u"lblPelo"_s)->text(), u"Tipologia pelo:"_s);
        QCOMPARE(find(u"imgFoto"_s)->size(), QSize(320, 237));
        QCOMPARE(find(u"grpContainer"_s)->size(), QSize(995, 688));
        QCOMPARE(RecordCard::ContainerPosition(QSize(1038, 742)), QPoint(519 - 497 - 8, 371 - 344 - 18));
        QCOMPARE(find<QComboBox>(u"txtSesso"_s)->itemText(1), u"Maschio"_s);
        QCOMPARE(find<CommandPicture>(u"imgUltimo"_s)->Hint(), u" Visualizza l'ultima scheda in archivio"_s);
        QCOMPARE(find<CommandPicture>(u"cmdSalva"_s)->focusPolicy(), Qt::NoFocus);
        for (const QString& holder : {u"lblFile01"_s, u"lblCartellaDesc"_s, u"txtFoto"_s, u"imgTemp"_s})
            QVERIFY(!find(holder)->isVisible());
        auto* birds = m_screens->Card(*Categories::ByKey(u"Ricorrenze"_s));
        QCOMPARE(birds->findChild<QLabel*>(u"lblColore"_s)->text(), u"Colore piumaggio:"_s);
    }

    void everyCategory_keepsItsOwnArchive()
    {
        for (const CategoryDescriptor& category : Categories::All) {
            RecordCard* card = m_screens->Card(category);
            Kit::ShowMaximised(card);
            card->SetValue(CardFields::Nome, QString(category.title));
            m_desktop->clear();
            card->SaveCard();
            QCOMPARE(m_desktop->messages.size(), 1);
            QCOMPARE(card->CurrentCardId(), u"1"_s);
            card->NewCard();
            card->ShowLast();
            QCOMPARE(card->Value(CardFields::Nome), QString(category.title));
            card->close();
            TSQLiteDatabase db(m_dir->filePath(QString(category.databaseFileName)));
            auto row = db.OpenQuery(u"SELECT varNome FROM "_s + category.tableName);
            QCOMPARE(row->RowCount(), 1u);
            QCOMPARE(row->BlobText(0), QString(category.title).toLatin1());
        }
    }

    void show_alwaysEndsOnAnEmptyNewCard()
    {
        addCards({u"Fulmine"_s, u"Tempesta"_s});
        {
            TSQLiteDatabase db(dbPath());
            db.StoreBlob(u"UPDATE amici SET picture = ? WHERE ID = 1"_s, "damaged"_ba);
        }
        m_card->hide();
        type(u"txtNome"_s, u"rimasto"_s);
        m_card->show();
        QCOMPARE(position(), QString());
        QCOMPARE(text(u"txtNome"_s), QString());
        QVERIFY(m_card->PreviewHasPicture()); // the placeholder
        QCOMPARE(m_card->PreviewBytes(), TestFiles::ReadFile(u":/art/placeholder.jpg"_s));
        QVERIFY(m_desktop->messages.isEmpty()); // the first card is not shown, so its photo is not judged

        // An archive that cannot be opened is reported; the card is still a new one.
        m_card->hide();
        QFile::remove(dbPath());
        QDir().mkpath(dbPath());
        m_card->show();
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::Stop);
        QVERIFY(m_desktop->messages[0].text.startsWith(u"Failed to open database"_s));
        QCOMPARE(position(), QString());
    }

    void save_insertsOnceThenUpdates()
    {
        type(u"txtNome"_s, u"  Fulmine  "_s);
        type(u"txtNote"_s, u"riga 1\nriga 2"_s);
        type(u"txtSesso"_s, u"Castrone"_s); // typed text, not one of the entries
        save();
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::Information);
        QCOMPARE(m_desktop->messages[0].title, u"Salvataggio effettuato con successo"_s);
        QCOMPARE(m_desktop->messages[0].text, u"La scheda corrente \u00e8 stata inserita in archivio."_s);
        QCOMPARE(position(), u"1"_s);
        QCOMPARE(text(u"txtNome"_s), u"Fulmine"_s); // shown as stored
        QCOMPARE(m_archive->Read(1)[CardFields::Note], u"riga 1\r\nriga 2"_s);
        QCOMPARE(m_archive->Read(1)[CardFields::Sesso], u"Castrone"_s);

        type(u"txtRazza"_s, u" Arabo "_s);
        save();
        QCOMPARE(m_desktop->messages[0].title, u"Aggiornamento effettuato con successo"_s);
        QCOMPARE(text(u"txtRazza"_s), u" Arabo "_s); // not read back after an update
        QCOMPARE(m_archive->Read(1)[CardFields::Razza], u"Arabo"_s);
        QCOMPARE(storedCount(), 1);
        QCOMPARE(text(u"txtNote"_s), u"riga 1\nriga 2"_s);
    }

    void save_cleansQuotesAndRefusesEmptyNames()
    {
        type(u"txtNome"_s, u" \"; ;\" "_s);
        type(u"txtRazza"_s, u"a\"b;c"_s);
        save();
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::Warning);
        QCOMPARE(m_desktop->messages[0].title, u"Salvataggio scheda non applicabile"_s);
        QCOMPARE(m_desktop->messages[0].text,
                 u"Per salvare la scheda \u00e8 necessario indicare il nome dell'animale domestico."_s);
        QCOMPARE(text(u"txtRazza"_s), u"a b c"_s);
        QCOMPARE(storedCount(), 0);
        type(u"txtNome"_s, u"Zeus \"il grande\""_s);
        save();
        QCOMPARE(m_archive->Read(1)[CardFields::Nome], u"Zeus  il grande"_s);
        QCOMPARE(m_archive->Read(1)[CardFields::Razza], u"a b c"_s);
        type(u"txtNome"_s, u"   "_s);
        save();
        QCOMPARE(m_desktop->messages[0].text,
                 u"Per aggiornare la scheda \u00e8 necessario indicare il nome dell'animale domestico."_s);
        QCOMPARE(m_archive->Read(1)[CardFields::Nome], u"Zeus  il grande"_s);
    }

    void save_refusesTextTheArchiveCannotHold()
    {
        type(u"txtNome"_s, u"Micio"_s);
        type(u"txtProprietario"_s, u"Wang \u738b"_s);
        save();
        QCOMPARE(m_desktop->messages.size(), 1);
        QVERIFY(m_desktop->messages[0].text.contains(u"\u00abProprietario\u00bb"_s));
        QVERIFY(m_desktop->messages[0].text.contains(u"\u738b"_s));
        QCOMPARE(text(u"txtProprietario"_s), u"Wang \u738b"_s);
        QCOMPARE(position(), QString());
        QCOMPARE(storedCount(), 0);
        // The same for an attachment path.
        type(u"txtProprietario"_s, u"Wang"_s);
        m_card->SetValue(CardFields::File02, u"/home/\u4e2d/a.pdf"_s);
        save();
        QVERIFY(m_desktop->messages[0].text.contains(u"\u00abFile allegato 2\u00bb"_s));
        QCOMPARE(storedCount(), 0);
    }

    void save_longNotesAndEveryField()
    {
        const QString notes = QString(10000, u'n') + u"\n\u00e8 fine"_s;
        type(u"txtNome"_s, u"Lungo"_s);
        type(u"txtNote"_s, notes);
        for (int i = 1; i < CardFields::EditableCount; ++i) {
            if (i != CardFields::Note)
                m_card->SetValue(i, u"valore %1 \u20ac'%"_s.arg(i));
        }
        save();
        const CardValues back = m_archive->Read(1);
        QCOMPARE(back[CardFields::Note], QString(notes).replace(u"\n"_s, u"\r\n"_s));
        QCOMPARE(back[CardFields::Didascalia], u"valore 27 \u20ac'%"_s);
        QCOMPARE(back[CardFields::Telefono], u"valore 23 \u20ac'%"_s);
    }

    void saveFailure_keepsTheCardAsTyped()
    {
        // The photo file vanished between loading and saving.
        const QString photo = writeFile(u"foto.jpg"_s, TestFiles::MakeJpeg(QSize(500, 400)));
        m_desktop->files << photo;
        click(u"cmdFoto"_s);
        QCOMPARE(m_card->PendingPhotoPath(), photo);
        QFile::remove(photo);
        type(u"txtNome"_s, u"Ombra"_s);
        save();
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::None);
        QVERIFY(m_desktop->messages[0].text.startsWith(
            u"Attenzione: la scheda corrente non \u00e8 stata salvata"_s));
        QVERIFY(m_desktop->messages[0].text.contains(photo));
        QCOMPARE(storedCount(), 0); // not even the texts
        QCOMPARE(text(u"txtNome"_s), u"Ombra"_s);
        QCOMPARE(m_card->PendingPhotoPath(), photo);
        QCOMPARE(m_card->Preview()->PictureSize(), QSize(500, 400));

        // Saved at last, then the archive is locked by another copy of the program.
        QVERIFY(TestFiles::WriteFile(photo, TestFiles::MakeJpeg(QSize(500, 400))));
        save();
        QCOMPARE(position(), u"1"_s);
        type(u"txtRazza"_s, u"Frisone"_s);
        {
            TSQLiteDatabase other(dbPath());
            other.ExecuteStatement(u"BEGIN EXCLUSIVE"_s);
            save();
            QVERIFY(m_desktop->messages[0].text.contains(u"locked"_s));
            QCOMPARE(position(), u"1"_s);
            QCOMPARE(text(u"txtRazza"_s), u"Frisone"_s);
        }
        QCOMPARE(m_archive->Read(1)[CardFields::Razza], QString());
        QVERIFY(!QGuiApplication::overrideCursor());

        // The card was deleted elsewhere: the update stores nothing and says so.
        {
            TSQLiteDatabase other(dbPath());
            other.ExecuteStatement(u"DELETE FROM amici"_s);
        }
        save();
        QVERIFY(m_desktop->messages[0].text.contains(u"non \u00e8 pi\u00f9 presente in archivio"_s));
        QCOMPARE(position(), u"1"_s);
        QCOMPARE(text(u"txtRazza"_s), u"Frisone"_s);
        QCOMPARE(storedCount(), 0);
    }

    void navigation_pagesInIdOrder()
    {
        // Empty archive: nothing moves.
        type(u"txtNome"_s, u"bozza"_s);
        for (const QString& arrow : {u"imgPrimo"_s, u"imgIndietro"_s, u"imgAvanti"_s, u"imgUltimo"_s})
            click(arrow);
        QCOMPARE(text(u"txtNome"_s), u"bozza"_s);
        QCOMPARE(position(), QString());

        addCards({u"A"_s, u"B"_s, u"C"_s, u"D"_s});
        {
            TSQLiteDatabase db(dbPath());
            db.ExecuteStatement(u"DELETE FROM amici WHERE ID = 2"_s);
        }
        click(u"imgAvanti"_s); // from a new card: the first
        QCOMPARE(position(), u"1"_s);
        type(u"txtRazza"_s, u"modificata"_s);
        click(u"imgIndietro"_s); // nothing before the first: edits stay
        QCOMPARE(text(u"txtRazza"_s), u"modificata"_s);
        click(u"imgAvanti"_s);
        QCOMPARE(position(), u"3"_s);
        QCOMPARE(text(u"txtRazza"_s), QString());
        click(u"imgUltimo"_s);
        QCOMPARE(position(), u"4"_s);
        click(u"imgAvanti"_s);
        QCOMPARE(position(), u"4"_s);
        click(u"imgIndietro"_s);
        QCOMPARE(position(), u"3"_s);
        click(u"imgPrimo"_s);
        QCOMPARE(text(u"txtNome"_s), u"A"_s);
        click(u"cmdNuovo"_s);
        click(u"imgIndietro"_s);
        QCOMPARE(position(), u"1"_s);
        QVERIFY(m_desktop->messages.isEmpty());
    }

    void navigation_failureReachesTheErrorBox()
    {
        addCards({u"A"_s});
        click(u"imgPrimo"_s);
        QFile::remove(dbPath());
        QVERIFY(TestFiles::WriteFile(dbPath(), QByteArray(4096, 'x')));
        click(u"imgUltimo"_s);
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::Stop);
        QVERIFY(m_desktop->messages[0].text.endsWith(u"file is not a database."_s));
        QCOMPARE(text(u"txtNome"_s), u"A"_s);
    }

    void delete_asksAndLeavesAnEmptyCard()
    {
        click(u"cmdElimina"_s);
        QCOMPARE(m_desktop->messages[0].title, u"Cancellazione scheda non applicabile"_s);
        addCards({u"A"_s, u"B"_s});
        click(u"imgUltimo"_s);
        m_desktop->clear();
        m_desktop->answers << false;
        click(u"cmdElimina"_s);
        QCOMPARE(m_desktop->questions[0].text, u"Si vuole proprio eliminare la scheda corrente?"_s);
        QCOMPARE(m_desktop->questions[0].title, u"Conferma cancellazione scheda"_s);
        QCOMPARE(storedCount(), 2);
        m_desktop->answers << true;
        click(u"cmdElimina"_s);
        QCOMPARE(storedCount(), 1);
        QCOMPARE(position(), QString());
        QCOMPARE(text(u"txtNome"_s), QString());

        click(u"imgPrimo"_s);
        TSQLiteDatabase other(dbPath());
        other.ExecuteStatement(u"BEGIN EXCLUSIVE"_s);
        m_desktop->clear();
        m_desktop->answers << true;
        click(u"cmdElimina"_s);
        QVERIFY(m_desktop->messages[0].text.startsWith(
            u"Attenzione: la scheda corrente non \u00e8 stata eliminata"_s));
        QCOMPARE(position(), u"1"_s);
        QCOMPARE(text(u"txtNome"_s), u"A"_s);
    }

    void duplicate_keepsTheVisibleFieldsOnly()
    {
        click(u"cmdDuplica"_s);
        QCOMPARE(m_desktop->messages[0].title, u"Attenzione: operazione non applicabile"_s);
        const QString photo = writeFile(u"p.jpg"_s, TestFiles::MakeJpeg(QSize(64, 48)));
        m_desktop->files << photo;
        click(u"cmdFoto"_s);
        type(u"txtNome"_s, u"Originale"_s);
        type(u"txtDidascalia"_s, u"didascalia"_s);
        m_card->SetValue(CardFields::File01, u"/tmp/a.pdf"_s);
        m_card->SetValue(CardFields::Cartella, u"/tmp"_s);
        save();
        m_desktop->clear();
        click(u"cmdDuplica"_s);
        QCOMPARE(m_desktop->messages[0].title, u"Scheda pronta per essere duplicata"_s);
        QCOMPARE(position(), QString());
        QCOMPARE(text(u"txtNome"_s), u"Originale"_s);
        QCOMPARE(text(u"txtDidascalia"_s), u"didascalia"_s);
        QCOMPARE(text(u"lblFile01"_s), QString());
        QCOMPARE(text(u"lblCartella"_s), QString());
        QCOMPARE(m_card->PreviewBytes(), TestFiles::ReadFile(u":/art/placeholder.jpg"_s));
        save();
        QCOMPARE(position(), u"2"_s);
        QVERIFY(storedPicture(2).isEmpty());
        QCOMPARE(storedPicture(1), TestFiles::ReadFile(photo));
    }

    void compact_asksThenReports()
    {
        addCards({u"A"_s});
        m_desktop->answers << false;
        click(u"cmdOttimizza"_s);
        QVERIFY(m_desktop->questions[0].text.startsWith(u"Questa funzione provveder\u00e0"_s));
        QVERIFY(m_desktop->messages.isEmpty());
        m_desktop->answers << true;
        click(u"cmdOttimizza"_s);
        QCOMPARE(m_desktop->lastText(), u"Ottimizzazione dell'archivio completata con successo."_s);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void photo_loadsFitsStoresAndReadsBack()
    {
        const QString path = writeFile(u"cavallo.JPEG"_s, TestFiles::MakeJpeg(QSize(500, 400)));
        m_desktop->files << path;
        click(u"cmdFoto"_s);
        QCOMPARE(m_desktop->chooserTitles.back(), u"Selezionare una foto in formato JPEG e premere Apri"_s);
        QCOMPARE(m_card->PendingPhotoPath(), path);
        QCOMPARE(m_card->Preview()->FittedRect(), QRect(12, 0, 296, 237));
        type(u"txtNome"_s, u"Con foto"_s);
        save();
        QCOMPARE(m_card->PendingPhotoPath(), QString());
        QCOMPARE(storedPicture(1), TestFiles::ReadFile(path));
        QCOMPARE(m_card->Preview()->PictureSize(), QSize(500, 400)); // read back from the archive

        // Saving again without a new photo leaves it; a new photo for a stored card replaces it.
        save();
        QCOMPARE(storedPicture(1), TestFiles::ReadFile(path));
        const QString second = writeFile(u"due.jpg"_s, TestFiles::MakeJpeg(QSize(640, 320)));
        m_desktop->files << second;
        click(u"cmdFoto"_s);
        QCOMPARE(m_card->Preview()->FittedRect(), QRect(0, 38, 320, 160));
        save();
        QCOMPARE(storedPicture(1), TestFiles::ReadFile(second));

        // A photo loaded and then left without saving is lost; the card keeps its photo.
        m_desktop->files << path;
        click(u"cmdFoto"_s);
        click(u"imgPrimo"_s);
        QCOMPARE(m_card->PendingPhotoPath(), QString());
        QCOMPARE(m_card->PreviewBytes(), TestFiles::ReadFile(second));
    }

    void photo_badFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray whole = TestFiles::MakeJpeg(QSize(300, 300));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("png named jpg") << TestFiles::MakePicture(QSize(20, 20), "PNG");
        QTest::newRow("truncated") << whole.left(whole.size() / 2);
        QTest::newRow("garbage") << QByteArray(3000, '\x42');
    }
    void photo_badFilesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        const QString good = writeFile(u"buona.jpg"_s, TestFiles::MakeJpeg(QSize(50, 50)));
        m_desktop->files << good;
        click(u"cmdFoto"_s);
        const QString bad = writeFile(u"cattiva.jpg"_s, bytes);
        m_desktop->clear();
        m_desktop->files << bad;
        click(u"cmdFoto"_s);
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::Warning);
        QVERIFY(m_desktop->messages[0].text.contains(bad));
        QCOMPARE(m_card->PendingPhotoPath(), QString());
        QCOMPARE(m_card->PreviewBytes(), TestFiles::ReadFile(u":/art/placeholder.jpg"_s));
        QVERIFY(!QGuiApplication::overrideCursor());
        type(u"txtNome"_s, u"Senza foto"_s);
        save();
        QVERIFY(storedPicture(1).isEmpty());
    }

    void photo_unusualJpegsAreAccepted()
    {
        const QList<QPair<QByteArray, QSize>> files = {
            {TestFiles::MakeJpegWith(QSize(80, 60), {.cmyk = true}), QSize(80, 60)},
            {TestFiles::MakeJpegWith(QSize(80, 60), {.progressive = true}), QSize(80, 60)},
            {TestFiles::MakeJpeg(QSize(1, 1)), QSize(1, 1)},
            {TestFiles::MakeJpeg(QSize(10000, 100)), QSize(10000, 100)},
            {TestFiles::MakeJpegWith(QSize(640, 480), {.exifOrientation = 6}), QSize(480, 640)},
        };
        for (const auto& [bytes, upright] : files) {
            m_desktop->clear();
            m_desktop->files << writeFile(u"x.jpg"_s, bytes);
            click(u"cmdFoto"_s);
            QVERIFY(m_desktop->messages.isEmpty());
            QCOMPARE(m_card->Preview()->PictureSize(), upright);
        }
        QCOMPARE(m_card->Preview()->FittedRect(), QRect(71, 0, 177, 237)); // upright 480 x 640
    }

    void photo_damagedInTheArchiveShowsThePlaceholderOnce()
    {
        addCards({u"A"_s, u"B"_s});
        const QString good = writeFile(u"a.jpg"_s, TestFiles::MakeJpeg(QSize(90, 60)));
        {
            CategoryStore store(amici(), m_dir->path());
            store.OpenArchive(store.QueryFirst());
            store.StorePicture(1, good);
            store.Database()->StoreBlob(u"UPDATE amici SET picture = ? WHERE ID = 2"_s,
                                        "not a jpeg at all"_ba);
        }
        click(u"imgPrimo"_s);
        QCOMPARE(m_card->Preview()->PictureSize(), QSize(90, 60));
        click(u"imgAvanti"_s);
        QCOMPARE(position(), u"2"_s);
        QCOMPARE(text(u"txtNome"_s), u"B"_s);
        QCOMPARE(m_desktop->messages.size(), 1);
        QVERIFY(m_desktop->messages[0].text.contains(u"scheda 2"_s));
        QCOMPARE(m_card->PreviewBytes(), TestFiles::ReadFile(u":/art/placeholder.jpg"_s));
    }

    void photo_savedToDiskAsItsOwnBytes()
    {
        const QByteArray jpeg = TestFiles::MakeJpeg(QSize(120, 90));
        m_desktop->files << writeFile(u"orig.jpg"_s, jpeg);
        click(u"cmdFoto"_s);
        m_desktop->files << m_dir->filePath(u"copia.jpg"_s) << m_dir->filePath(u"altra"_s)
                         << m_dir->filePath(u"maiuscola.JPEG"_s);
        for (int i = 0; i < 3; ++i)
            click(u"cmdSalvaFoto"_s);
        QCOMPARE(TestFiles::ReadFile(m_dir->filePath(u"copia.jpg"_s)), jpeg);
        QVERIFY(!QFileInfo::exists(m_dir->filePath(u"copia.jpg.jpg"_s)));
        QCOMPARE(TestFiles::ReadFile(m_dir->filePath(u"altra.jpg"_s)), jpeg);
        QCOMPARE(TestFiles::ReadFile(m_dir->filePath(u"maiuscola.JPEG"_s)), jpeg);
        QCOMPARE(m_desktop->chooserTitles.back(), u"Salva foto in formato JPEG"_s);
        QVERIFY(m_desktop->messages.isEmpty());

        click(u"cmdNuovo"_s);
        m_desktop->files << m_dir->filePath(u"vuota.jpg"_s);
        click(u"cmdSalvaFoto"_s);
        QCOMPARE(TestFiles::ReadFile(m_dir->filePath(u"vuota.jpg"_s)),
                 TestFiles::ReadFile(u":/art/placeholder.jpg"_s));

        m_desktop->files << m_dir->filePath(u"manca/foto.jpg"_s);
        click(u"cmdSalvaFoto"_s);
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].title, u"Salvataggio foto non riuscito"_s);
        QVERIFY(m_desktop->messages[0].text.contains(u"manca/foto.jpg"_s));

        // A disk that fills up half-way: the file keeps its earlier content, and the user is told.
        m_desktop->clear();
        m_desktop->files << m_dir->filePath(u"copia.jpg"_s);
        {
            TestFiles::FileSizeLimit full(100);
            click(u"cmdSalvaFoto"_s);
        }
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].title, u"Salvataggio foto non riuscito"_s);
        QCOMPARE(TestFiles::ReadFile(m_dir->filePath(u"copia.jpg"_s)), jpeg);
    }

    void zoom_showsThePreviewPictureFullScreen()
    {
        m_desktop->files << writeFile(u"z.jpg"_s, TestFiles::MakeJpeg(QSize(4000, 3000), 60));
        click(u"cmdFoto"_s);
        QSize shown;
        TestGui::WhenModal([&](QWidget* modal) {
            auto* zoom = qobject_cast<TfrmZoom*>(modal);
            shown = zoom->Picture()->PictureSize();
            QTest::mouseClick(zoom, Qt::LeftButton);
        });
        click(u"imgZoom"_s);
        QCOMPARE(shown, QSize(4000, 3000));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void attachments_roundTripThroughTheDialogs()
    {
        m_card->SetValue(CardFields::File02, u"  /dati/due.pdf "_s);
        m_card->SetValue(CardFields::Desc02, u" seconda "_s);
        TestGui::WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<AttachmentDialog*>(modal);
            QCOMPARE(dialog->objectName(), u"TfrmAllegaFile"_s);
            QCOMPARE(dialog->findChild<QLabel*>(u"lblMemory"_s)->text(), u"amici"_s);
            QCOMPARE(dialog->Path(1), u"/dati/due.pdf"_s);
            QVERIFY(!dialog->findChild<QPushButton*>(u"cmdApri01"_s)->isEnabled());
            QVERIFY(dialog->findChild<QPushButton*>(u"cmdApri02"_s)->isEnabled());
            QVERIFY(!dialog->findChild<QPushButton*>(u"cmdApri03"_s)->isEnabled());
            dialog->findChild<QPushButton*>(u"cmdApri02"_s)->click();
            QCOMPARE(m_desktop->opened.back(), QUrl::fromLocalFile(u"/dati/due.pdf"_s));
            // Backspace empties a path at once.
            auto* second = dialog->findChild<QLineEdit*>(u"txtFile02"_s);
            QTest::keyClick(second, Qt::Key_Backspace);
            QCOMPARE(second->text(), QString());
            QVERIFY(!dialog->findChild<QPushButton*>(u"cmdApri02"_s)->isEnabled());
            m_desktop->files << u"/dati/uno;\"x\".txt"_s;
            dialog->findChild<QPushButton*>(u"cmdSfoglia01"_s)->click();
            QCOMPARE(m_desktop->chooserFilters.back(), u"Tutti i file (*)"_s);
            dialog->findChild<QLineEdit*>(u"txtDesc01"_s)->setText(u"  prima  "_s);
            dialog->findChild<QPushButton*>(u"cmdApplica"_s)->click();
        });
        click(u"cmdAllega"_s);
        QCOMPARE(text(u"lblFile01"_s), u"/dati/uno;\"x\".txt"_s);
        QCOMPARE(text(u"lblDesc01"_s), u"prima"_s);
        QCOMPARE(text(u"lblFile02"_s), QString());

        // Closing the dialog otherwise changes nothing.
        TestGui::WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<AttachmentDialog*>(modal);
            QCOMPARE(dialog->objectName(), u"TfrmAllegaCartella"_s);
            QCOMPARE(dialog->SlotCount(), 1);
            m_desktop->files << u"/dati/cartella"_s;
            dialog->findChild<QPushButton*>(u"cmdSfoglia01"_s)->click();
            QCOMPARE(m_desktop->chooserTitles.back(), u"Selezionare una cartella:"_s);
            dialog->close();
        });
        click(u"cmdAssocia"_s);
        QCOMPARE(text(u"lblCartella"_s), QString());

        TestGui::WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<AttachmentDialog*>(modal);
            dialog->SetSlot(0, u" /dati/cartella "_s, u"foto"_s);
            dialog->Apply();
        });
        click(u"cmdAssocia"_s);
        QCOMPARE(text(u"lblCartella"_s), u"/dati/cartella"_s);

        type(u"txtNome"_s, u"Allegati"_s);
        save();
        const CardValues back = m_archive->Read(1);
        QCOMPARE(back[CardFields::File01], u"/dati/uno  x .txt"_s); // cleaned like every text of the card
        QCOMPARE(back[CardFields::Desc01], u"prima"_s);
        QCOMPARE(back[CardFields::Cartella], u"/dati/cartella"_s);
        QCOMPARE(back[CardFields::CartellaDesc], u"foto"_s);
    }

    void attachments_unknownTokenKeepsTheDialogOpen()
    {
        TfrmAllegaFile dialog(*m_screens, m_card);
        dialog.SetToken(u"Amici"_s);
        dialog.SetSlot(0, u"/x"_s, u"y"_s);
        dialog.show();
        dialog.Apply();
        QVERIFY(dialog.isVisible());
        QCOMPARE(text(u"lblFile01"_s), QString());
    }

    void fields_enterChainAndColours()
    {
        m_card->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_card));
        auto* name = find<QLineEdit>(u"txtNome"_s);
        QCOMPARE(QApplication::focusWidget(), name);
        QCOMPARE(name->palette().color(QPalette::Base), Kit::FocusYellow);
        const QImage drawn = name->grab().toImage();
        QCOMPARE(QColor(drawn.pixel(drawn.width() - 6, drawn.height() / 2)), Kit::FocusYellow);
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), find(u"txtRazza"_s));
        QCOMPARE(name->palette().color(QPalette::Base), Kit::MoneyGreen);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(find(u"txtSesso"_s)->isAncestorOf(QApplication::focusWidget()) ||
                QApplication::focusWidget() == find(u"txtSesso"_s));
        QTest::keyClicks(QApplication::focusWidget(), u"Femmina"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), find(u"txtDataNasc"_s));
        QCOMPARE(text(u"txtSesso"_s), u"Femmina"_s);
        QCOMPARE(find<QComboBox>(u"txtSesso"_s)->count(), 2); // Enter adds nothing to the list
        find(u"txtSpecialita"_s)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        auto* notes = find<QPlainTextEdit>(u"txtNote"_s);
        QCOMPARE(QApplication::focusWidget(), notes);
        QTest::keyClicks(notes, u"a"_s);
        QTest::keyClick(notes, Qt::Key_Return);
        QTest::keyClicks(notes, u"b"_s);
        QCOMPARE(notes->toPlainText(), u"a\nb"_s); // Enter is a line break in the notes
        find(u"txtDidascalia"_s)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), name);
        // Tab: the caption comes first, then the fields from the name on.
        QCOMPARE(find(u"txtDidascalia"_s)->nextInFocusChain(), static_cast<QWidget*>(name));
    }

    void close_returnsToTheStartMenu()
    {
        click(u"cmdEsci"_s);
        QVERIFY(!m_card->isVisible());
        QVERIFY(m_screens->StartMenu()->isVisible());
        m_card->show();
        QFile::remove(dbPath());
        QDir().mkpath(dbPath()); // the archive cannot be opened: the menu comes back all the same
        m_screens->StartMenu()->hide();
        m_card->close();
        QVERIFY(m_screens->StartMenu()->isVisible());
    }

    void archiveScreens_startFromAnEmptyCard()
    {
        addCards({u"A"_s});
        // The find dialog, the advanced search, the photo viewer, the slideshow and the export screen open
        // modally over the card; each is closed as it appears.
        const QMap<QString, QString> modal = {{u"cmdTrova"_s, u"TfrmTrovaAmici"_s},
                                              {u"cmdRicerca"_s, u"TfrmRicercaAmici"_s},
                                              {u"cmdSfogliaFoto"_s, u"TfrmBrowseAmici"_s},
                                              {u"cmdSlideshow"_s, u"TfrmSlideAmici"_s},
                                              {u"cmdExcel"_s, u"TfrmExpAmici"_s}};
        for (const QString& command :
             {u"cmdTrova"_s, u"cmdRicerca"_s, u"cmdSfogliaFoto"_s, u"cmdSlideshow"_s, u"cmdExcel"_s}) {
            click(u"imgPrimo"_s);
            type(u"txtRazza"_s, u"non salvata"_s);
            QString opened, razzaMeanwhile;
            if (modal.contains(command)) {
                TestGui::WhenModal([&](QWidget* screen) {
                    opened = screen->objectName();
                    razzaMeanwhile = text(u"txtRazza"_s);
                    QTest::keyClick(screen, Qt::Key_Escape);
                });
            }
            click(command);
            QCOMPARE(opened, modal.value(command));
            if (modal.contains(command))
                QCOMPARE(razzaMeanwhile, QString()); // the card was cleared before the screen opened
            QCOMPARE(position(), QString());
            QCOMPARE(text(u"txtRazza"_s), QString());
        }
        QCOMPARE(m_archive->Read(1)[CardFields::Razza], QString());
        QVERIFY(m_desktop->messages.isEmpty());

        QString title;
        TestGui::WhenModal([&](QWidget* guide) {
            title = guide->findChild<QLabel*>(u"panTitle"_s)->text();
            guide->close();
        });
        click(u"cmdGuida"_s);
        QCOMPARE(title, u"Gestione degli archivi degli animali domestici"_s);
    }

    void cmdWord_exportsTheCardAsShown()
    {
        RecordingServer word;
        word.Install(m_screens->OfficeRegistry(), u"Word.Application"_s);
        addCards({u"Fulmine"_s});
        click(u"imgPrimo"_s);
        type(u"txtRazza"_s, u"non salvata"_s);
        m_desktop->clear();
        click(u"cmdWord"_s);
        QVERIFY(m_desktop->messages.isEmpty());
        QCOMPARE(word.ServersCreated(), 1);
        const QStringList lines = word.Lines();
        QCOMPARE(lines.count(
                     u"App.Selection.range.Tables.Item.Cell.range.InsertAfter method(VT_BSTR \"Fulmine\")"_s),
                 1);
        QVERIFY(lines.contains(
            u"App.Selection.range.Tables.Item.Cell.range.InsertAfter method(VT_BSTR \"non salvata\")"_s));
        QCOMPARE(lines.last(), u"App.Visible put(VT_BOOL true)"_s);
        // The card stays as it was, unsaved edit included.
        QCOMPARE(position(), u"1"_s);
        QCOMPARE(text(u"txtRazza"_s), u"non salvata"_s);
    }

    // Runs sql on a connection of the test's own, as another copy of the program would.
    void elsewhere(const QString& sql)
    {
        TSQLiteDatabase db(dbPath());
        db.ExecuteStatement(sql);
    }
    QString storedColumn(const QString& expression, qint64 id)
    {
        return TestFiles::RunSqliteTool(dbPath(),
                                        u"SELECT %1 FROM amici WHERE ID=%2"_s.arg(expression).arg(id));
    }

    void identifiers_beyondThirtyTwoBitsPageAndSaveTheirOwnCard()
    {
        addCards({u"Uno"_s});
        elsewhere(u"INSERT INTO amici (ID, varNome, Ext) VALUES (4294967297, 'Grande', 'JPG')"_s);
        click(u"imgUltimo"_s);
        QCOMPARE(position(), u"4294967297"_s);
        auto* label = find<QLabel>(u"lblPosizione"_s);
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width()); // drawn whole
        type(u"txtRazza"_s, u"Frisone"_s);
        save();
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].title, u"Aggiornamento effettuato con successo"_s);
        QCOMPARE(storedColumn(u"varNome || '/' || varRazza"_s, 4294967297), u"Grande/Frisone"_s);
        QCOMPARE(storedColumn(u"varNome || '/' || varRazza"_s, 1), u"Uno/"_s);
        click(u"imgIndietro"_s);
        QCOMPARE(position(), u"1"_s);
    }

    void load_aCardThatCannotBeReadIsNeverSavedOverAnother()
    {
        // A foreign archive whose texts are declared TEXT cannot be read by the card: it must not end up
        // showing a new identifier over other texts, which a save would then write over that card.
        QString columns;
        for (const CardField& f : CardFields::All)
            columns += f.column + u" TEXT,"_s;
        elsewhere(u"DROP TABLE amici"_s);
        elsewhere(u"CREATE TABLE amici (ID INTEGER PRIMARY KEY,"_s + columns + u" Picture BLOB, Ext TEXT)"_s);
        elsewhere(
            u"INSERT INTO amici (ID, varNome, varNote, Ext) VALUES (5, 'Cinque', 'nota preziosa', 'JPG')"_s);
        type(u"txtNome"_s, u"Nuovo"_s);
        m_desktop->clear();
        click(u"imgPrimo"_s);
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::Stop);
        QCOMPARE(position(), QString());
        QCOMPARE(text(u"txtNome"_s), u"Nuovo"_s);
        save();
        QCOMPARE(storedColumn(u"varNote"_s, 5), u"nota preziosa"_s);
    }

    void save_changesMadeByAnotherCopyAreNeverLostSilently()
    {
        addCards({u"Uno"_s, u"Due"_s});
        click(u"imgUltimo"_s);
        elsewhere(u"UPDATE amici SET varRazza = 'Lipizzano' WHERE ID=2"_s); // another copy saved the breed
        type(u"txtPeso"_s, u"480 kg"_s);
        m_desktop->answers << false;
        save();
        QCOMPARE(m_desktop->questions.size(), 1);
        QCOMPARE(m_desktop->questions[0].text,
                 u"La scheda \u00e8 stata modificata da un'altra postazione dopo l'apertura. "
                 "Sovrascrivere le modifiche?"_s);
        QVERIFY(m_desktop->messages.isEmpty()); // no success reported
        QCOMPARE(storedColumn(u"varRazza || '/' || varPeso"_s, 2), u"Lipizzano/"_s);
        QCOMPARE(text(u"txtPeso"_s), u"480 kg"_s);
        QCOMPARE(position(), u"2"_s);
        m_desktop->answers << true;
        save();
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].title, u"Aggiornamento effettuato con successo"_s);
        QCOMPARE(storedColumn(u"varRazza || '/' || varPeso"_s, 2), u"/480 kg"_s);
    }

    void delete_isNotReportedAsFailedOnceTheCardIsGone()
    {
        addCards({u"Uno"_s, u"Due"_s});
        click(u"imgPrimo"_s);
        // Reading the archive after the delete fails: the archive is made a view whose second row cannot
        // be read.
        elsewhere(u"ALTER TABLE amici RENAME TO amici_dati"_s);
        elsewhere(
            u"CREATE VIEW amici AS SELECT *, CASE WHEN ID = 1 THEN 0 ELSE abs(-9223372036854775807 - 1) "
            "END AS guasto FROM amici_dati"_s);
        elsewhere(u"CREATE TRIGGER cancella INSTEAD OF DELETE ON amici BEGIN "
                  "DELETE FROM amici_dati WHERE ID = old.ID; END"_s);
        m_desktop->answers << true;
        m_desktop->clear();
        click(u"cmdElimina"_s);
        QVERIFY(m_desktop->messages.isEmpty());
        QCOMPARE(position(), QString());
        QCOMPARE(TestFiles::RunSqliteTool(dbPath(), u"SELECT group_concat(ID) FROM amici_dati"_s), u"2"_s);
    }

    void texts_areNeverCutOrChanged()
    {
        // A foreign card with a 40,000-character breed, opened and saved unchanged, keeps it whole; the
        // notes keep their no-break spaces.
        addCards({u"Lungo"_s});
        elsewhere(
            u"UPDATE amici SET varRazza = '%1', varNote = 'a' || CAST(x'A0' AS TEXT) || 'b' WHERE ID=1"_s.arg(
                QString(40000, u'r')));
        click(u"imgPrimo"_s);
        QCOMPARE(text(u"txtRazza"_s).size(), 40000);
        QCOMPARE(m_card->Value(CardFields::Note), u"a\u00a0b"_s);
        type(u"txtNote"_s, m_card->Value(CardFields::Note) + u"\nc\u00a0d"_s);
        save();
        QCOMPARE(storedColumn(u"length(varRazza)"_s, 1), u"40000"_s);
        QCOMPARE(storedColumn(u"hex(varNote)"_s, 1), u"61A0620D0A63A064"_s);
        // Typed or pasted, too: every edit field takes any length.
        for (QLineEdit* edit : m_card->findChildren<QLineEdit*>()) {
            edit->clear();
            edit->insert(QString(33000, u'x'));
            QCOMPARE(edit->text().size(), 33000);
        }
    }

    void position_isReadByAssistiveTechnology()
    {
        addCards({u"Uno"_s});
        auto* label = find<QLabel>(u"lblPosizione"_s);
        QCOMPARE(label->accessibleName(), u"Numero della scheda"_s);
        click(u"imgPrimo"_s);
        QCOMPARE(label->accessibleDescription(), u"1"_s);
        click(u"cmdNuovo"_s);
        QCOMPARE(label->accessibleDescription(), u"nuova scheda"_s);
    }

    void commands_catchTheirOwnFailures()
    {
        // A failure inside a command is shown by the card itself; none travels through Qt's event delivery
        // to the application's last-resort handler.
        m_desktop->chooserFails = true;
        auto* app = qobject_cast<CodazzurraApplication*>(qApp);
        const int before = app->LastResortFailures();
        click(u"cmdFoto"_s);
        QCOMPARE(app->LastResortFailures(), before);
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::Stop);
        QCOMPARE(m_desktop->messages[0].text, u"selettore guasto."_s);
    }

    void hints_showInTheStatusBar()
    {
        auto* bar = find<QLabel>(u"panInfo"_s);
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(find(u"cmdFoto"_s), &enter);
        QCOMPARE(bar->text(), u" Carica una foto in formato Jpeg da abbinare alla scheda corrente."_s);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(find(u"cmdFoto"_s), &leave);
        QCOMPARE(bar->text(), QString());
    }
};

PROGRAM_TEST_MAIN(TestRecordCard)
#include "tst_recordcard.moc"
