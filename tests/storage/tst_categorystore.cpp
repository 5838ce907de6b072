// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/CategoryStore.h"
#include "storage/ESQLiteException.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const CategoryDescriptor& amici()
{
    return *Categories::ByKey(u"Amici"_s);
}

CardValues card(const QString& name)
{
    CardValues v;
    v[CardFields::Nome] = name;
    return v;
}

qint64 countCards(CategoryStore& store)
{
    return store.Database()->OpenQuery(u"SELECT count(*) FROM amici"_s)->IntegerValue(0);
}

QString raisedMessage(const std::function<void()>& body)
{
    try {
        body();
    } catch (const ESQLiteException& e) {
        return e.message();
    }
    return {};
}

} // namespace

class TestCategoryStore : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CategoryStore> m_store;

    // A store whose archive holds cards named after ids.
    void addCards(std::initializer_list<const char*> names)
    {
        for (const char* n : names)
            m_store->InsertCard(card(QString::fromUtf8(n)));
    }

    qint64 shownId()
    {
        TSQLiteTable* t = m_store->Cursor();
        return t->RowCount() ? t->IntegerValue(t->ColumnIndexOf(u"ID"_s)) : -1;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<CategoryStore>(amici(), m_dir->path(), 200);
    }

    void openArchive_createsTheTableOnce()
    {
        QCOMPARE(m_store->DatabasePath(), m_dir->filePath(u"Cavalli.db"_s));
        QVERIFY(!m_store->OpenArchive(m_store->QueryFirst()));
        QVERIFY(!m_store->Cursor());
        QCOMPARE(TestFiles::RunSqliteTool(m_store->DatabasePath(), u"SELECT sql FROM sqlite_master"_s),
                 u"CREATE TABLE amici (ID INTEGER PRIMARY KEY,varNome BLOB,varRazza BLOB,varSesso BLOB,"
                 "varDataNasc BLOB,varLuogoNasc BLOB,varProprietario BLOB,varMedico BLOB,varAltezza BLOB,"
                 "varLunghezza BLOB,varTaglia BLOB,varPeso BLOB,varColore BLOB,varPelo BLOB,varSegni BLOB,"
                 "varPassaporto BLOB,varMicrochip BLOB,varTatuaggio BLOB,varSterilizzato BLOB,"
                 "varCertificato BLOB,varAlimentazione BLOB,varVaccinazioni BLOB,varProfilo BLOB,"
                 "varAddestratore BLOB,varTelefono BLOB,varPrezzo BLOB,varSpecialita BLOB,varNote BLOB,"
                 "varDidascalia BLOB,varFile01 BLOB,varFile02 BLOB,varFile03 BLOB,varDesc01 BLOB,"
                 "varDesc02 BLOB,varDesc03 BLOB,varCartella BLOB,varCartellaDesc BLOB, Picture BLOB "
                 "COLLATE NOCASE,Ext TEXT)"_s);
        QVERIFY(m_store->OpenArchive(m_store->QueryFirst()));
        QCOMPARE(m_store->Cursor()->RowCount(), 0u);
    }

    void values_areStoredTrimmedAndAsTyped()
    {
        m_store->OpenArchive(m_store->QueryFirst());
        CardValues v;
        v[CardFields::Nome] = u"  Rex  "_s;
        v[CardFields::Razza] = u"varRazza"_s; // the name of a column is only a text
        v[CardFields::Sesso] =
            u"l'apostrofo; \"virgolette\""_s; // the card cleans these; the store keeps them
        v[CardFields::Note] = u"\r\n riga 1\r\nriga 2 %_ \t"_s;
        v[CardFields::Prezzo] = u"\u20ac 1.200"_s;
        v[CardFields::CartellaDesc] = u"ultima"_s;
        const qint64 id = m_store->InsertCard(v);
        QCOMPARE(id, 1);
        m_store->Query(m_store->QueryById(id));
        const CardValues back = CategoryStore::ReadCard(*m_store->Cursor());
        QCOMPARE(back[CardFields::Nome], u"Rex"_s);
        QCOMPARE(back[CardFields::Razza], u"varRazza"_s);
        QCOMPARE(back[CardFields::Sesso], u"l'apostrofo; \"virgolette\""_s);
        QCOMPARE(back[CardFields::Note], u"riga 1\r\nriga 2 %_"_s);
        QCOMPARE(back[CardFields::Prezzo], u"\u20ac 1.200"_s);
        QCOMPARE(back[CardFields::CartellaDesc], u"ultima"_s);
        QCOMPARE(back[CardFields::DataNasc], QString());

        // The same statement updates: a value equal to a column name stays a text.
        v[CardFields::Nome] = u"varNome"_s;
        v[CardFields::Razza] = u"Arabo"_s;
        m_store->UpdateCard(id, v);
        m_store->Query(m_store->QueryById(id));
        QCOMPARE(CategoryStore::ReadCard(*m_store->Cursor())[CardFields::Nome], u"varNome"_s);
        // Stored as TEXT values of Windows-1252 bytes, picture NULL, Ext JPG, empty fields empty strings.
        QCOMPARE(TestFiles::RunSqliteTool(m_store->DatabasePath(),
                                          u"SELECT typeof(varNome), hex(varPrezzo), quote(varTaglia), "
                                          "typeof(Picture), Ext FROM amici"_s),
                 u"text|8020312E323030|''|null|JPG"_s);
    }

    void unrepresentableText_storesNothing()
    {
        m_store->OpenArchive(m_store->QueryFirst());
        CardValues v = card(u"Micio"_s);
        v[CardFields::Razza] = u"\u732b"_s;
        QVERIFY(raisedMessage([&] { m_store->InsertCard(v); }).contains(u"varRazza"_s));
        QCOMPARE(countCards(*m_store), 0);
        QVERIFY(!m_store->Database()->InTransaction());
    }

    void queries_walkInIdOrder()
    {
        m_store->OpenArchive(m_store->QueryFirst());
        QVERIFY(m_store->OpenArchive(m_store->QueryLast()));
        QCOMPARE(m_store->Cursor()->RowCount(), 0u); // empty archive: no last card
        addCards({"a", "b", "c", "d"});
        m_store->DeleteCard(2);
        QCOMPARE(shownId(), 1); // a delete leaves the first card in the result set
        m_store->OpenArchive(m_store->QueryFirst());
        QCOMPARE(shownId(), 1);
        m_store->OpenArchive(m_store->QueryNext(1));
        QCOMPARE(shownId(), 3);
        m_store->OpenArchive(m_store->QueryPrevious(3));
        QCOMPARE(shownId(), 1);
        m_store->OpenArchive(m_store->QueryPrevious(2)); // from a card deleted meanwhile: the one before it
        QCOMPARE(shownId(), 1);
        m_store->OpenArchive(m_store->QueryPrevious(5));
        QCOMPARE(shownId(), 4);
        m_store->OpenArchive(m_store->QueryPrevious(1));
        QCOMPARE(shownId(), -1);
        m_store->OpenArchive(m_store->QueryNext(4));
        QCOMPARE(shownId(), -1);
        m_store->OpenArchive(m_store->QueryLast());
        QCOMPARE(shownId(), 4);
        // The id of a deleted last card is given again.
        m_store->DeleteCard(4);
        QCOMPARE(m_store->InsertCard(card(u"e"_s)), 4);
    }

    void pictures_areStoredWhole()
    {
        m_store->OpenArchive(m_store->QueryFirst());
        const qint64 id = m_store->InsertCard(card(u"Rex"_s));
        const QByteArray jpeg = TestFiles::MakeJpeg(QSize(64, 48));
        const QString file = m_dir->filePath(u"foto.jpg"_s);
        QVERIFY(TestFiles::WriteFile(file, jpeg));
        m_store->StorePicture(id, file);
        m_store->Query(m_store->QueryById(id));
        TSQLiteTable& row = *m_store->Cursor();
        QCOMPARE(*row.BlobStream(row.ColumnIndexOf(u"picture"_s)), jpeg);

        // A file that cannot be read changes nothing.
        const QString missing = m_dir->filePath(u"missing.jpg"_s);
        QVERIFY(raisedMessage([&] { m_store->StorePicture(id, missing); }).contains(missing));
        QVERIFY(TestFiles::WriteFile(m_dir->filePath(u"empty.jpg"_s), {}));
        QVERIFY(
            !raisedMessage([&] { m_store->StorePicture(id, m_dir->filePath(u"empty.jpg"_s)); }).isEmpty());
        m_store->Query(m_store->QueryById(id));
        QCOMPARE(*m_store->Cursor()->BlobStream(m_store->Cursor()->ColumnIndexOf(u"Picture"_s)), jpeg);
    }

    void saveCard_isAllOrNothing()
    {
        m_store->OpenArchive(m_store->QueryFirst());
        const QString photo = m_dir->filePath(u"foto.jpg"_s);
        QVERIFY(TestFiles::WriteFile(photo, TestFiles::MakeJpeg(QSize(32, 32))));
        const qint64 id = m_store->SaveCard(std::nullopt, card(u"Rex"_s), photo);
        QCOMPARE(countCards(*m_store), 1);

        // The photo vanished before the save: neither the new card nor its texts are stored.
        QVERIFY(!raisedMessage([&] {
                     m_store->SaveCard(std::nullopt, card(u"Fido"_s), photo + u"x"_s);
                 }).isEmpty());
        QCOMPARE(countCards(*m_store), 1);
        QVERIFY(!m_store->Database()->InTransaction());

        // Updating a card that another copy deleted stores nothing and says so.
        m_store->DeleteCard(id);
        QVERIFY(raisedMessage([&] {
                    m_store->SaveCard(id, card(u"Rex 2"_s), photo);
                }).contains(u"non \u00e8 pi\u00f9 presente in archivio"_s));
        QCOMPARE(countCards(*m_store), 0);

        // A picture that SQLite refuses rolls back the texts stored just before it.
        const qint64 second = m_store->SaveCard(std::nullopt, card(u"Bella"_s), {});
        m_store->Database()->ExecuteStatement(
            u"CREATE TRIGGER nopic BEFORE UPDATE OF Picture ON amici BEGIN SELECT RAISE(ABORT, 'no'); END"_s);
        QVERIFY(
            raisedMessage([&] { m_store->SaveCard(second, card(u"Bella 2"_s), photo); }).endsWith(u"no"_s));
        m_store->Query(m_store->QueryById(second));
        QCOMPARE(CategoryStore::ReadCard(*m_store->Cursor())[CardFields::Nome], u"Bella"_s);
    }

    void lockedArchive_raisesAndKeepsTheCard()
    {
        m_store->OpenArchive(m_store->QueryFirst());
        const qint64 id = m_store->InsertCard(card(u"Rex"_s));
        TSQLiteDatabase other(m_store->DatabasePath());
        other.ExecuteStatement(u"BEGIN EXCLUSIVE"_s);
        QVERIFY(raisedMessage([&] { m_store->SaveCard(id, card(u"Rex 2"_s), {}); }).contains(u"locked"_s));
        QVERIFY(raisedMessage([&] { m_store->OpenArchive(m_store->QueryFirst()); }).contains(u"locked"_s));
        other.ExecuteStatement(u"COMMIT"_s);
        m_store->OpenArchive(m_store->QueryFirst());
        QCOMPARE(CategoryStore::ReadCard(*m_store->Cursor())[CardFields::Nome], u"Rex"_s);
    }

    void badFolders_raise()
    {
        CategoryStore nowhere(amici(), m_dir->filePath(u"missing/folder"_s));
        QVERIFY(raisedMessage([&] {
                    nowhere.OpenArchive(nowhere.QueryFirst());
                }).startsWith(u"Failed to open database"_s));
        QVERIFY(raisedMessage([&] { nowhere.InsertCard(card(u"x"_s)); }).startsWith(u"Archive not open"_s));
        // A folder that takes no new file: the archive cannot be created there.
        const QString underAFile = m_dir->filePath(u"file"_s);
        QVERIFY(TestFiles::WriteFile(underAFile, "x"));
        CategoryStore store(amici(), underAFile);
        QVERIFY(raisedMessage([&] {
                    store.OpenArchive(store.QueryFirst());
                }).startsWith(u"Failed to open database"_s));
        // A disk that is full: creating the table fails and says so.
        CategoryStore full(amici(), m_dir->filePath(u"pieno"_s));
        QDir().mkpath(m_dir->filePath(u"pieno"_s));
        {
            TestFiles::FileSizeLimit limit(0);
            QVERIFY(!raisedMessage([&] { full.OpenArchive(full.QueryFirst()); }).isEmpty());
        }
    }

    void foreignArchive_readsBackByteForByte()
    {
        // An archive written by another program to the same schema, with Windows-1252 texts.
        const QByteArray jpeg = TestFiles::MakeJpeg(QSize(40, 30));
        sqlite3* raw = nullptr;
        QCOMPARE(sqlite3_open(m_store->DatabasePath().toUtf8().constData(), &raw), SQLITE_OK);
        QCOMPARE(sqlite3_exec(raw, m_store->CreateTableSql().toUtf8().constData(), nullptr, nullptr, nullptr),
                 SQLITE_OK);
        const QByteArray insert = "INSERT INTO amici (ID, varNome, varRazza, varNote, Picture, Ext) VALUES "
                                  "(7, 'Perch\xe9 \xe8 cos\xec', '\x80 1.200', '\xc7"
                                  "a va', ?, 'JPG')";
        sqlite3_stmt* st = nullptr;
        QCOMPARE(sqlite3_prepare_v2(raw, insert.constData(), -1, &st, nullptr), SQLITE_OK);
        sqlite3_bind_blob(st, 1, jpeg.constData(), int(jpeg.size()), SQLITE_STATIC);
        QCOMPARE(sqlite3_step(st), SQLITE_DONE);
        sqlite3_finalize(st);
        sqlite3_close(raw);

        QVERIFY(m_store->OpenArchive(m_store->QueryFirst()));
        TSQLiteTable& row = *m_store->Cursor();
        const CardValues values = CategoryStore::ReadCard(row);
        QCOMPARE(values[CardFields::Nome], u"Perch\u00e9 \u00e8 cos\u00ec"_s);
        QCOMPARE(values[CardFields::Razza], u"\u20ac 1.200"_s);
        QCOMPARE(values[CardFields::Note], u"\u00c7a va"_s);
        QCOMPARE(values[CardFields::Sesso], QString()); // NULL reads as empty
        QCOMPARE(*row.BlobStream(row.ColumnIndexOf(u"Picture"_s)), jpeg);

        // Saved again by the store, the bytes are the same for the bare tool.
        m_store->UpdateCard(7, values);
        QCOMPARE(
            TestFiles::RunSqliteTool(m_store->DatabasePath(),
                                     u"SELECT hex(varNome), hex(varRazza), hex(varNote), length(Picture) "
                                     "FROM amici"_s),
            u"%1|%2|%3|%4"_s
                .arg(QString::fromLatin1("Perch\xe9 \xe8 cos\xec"_ba.toHex().toUpper()),
                     QString::fromLatin1("\x80 1.200"_ba.toHex().toUpper()),
                     QString::fromLatin1("\xc7"
                                         "a va"_ba.toHex()
                                             .toUpper()))
                .arg(jpeg.size()));
    }

    void findByField_bindsTheKeyAndComparesBytes()
    {
        // Searching creates a missing table and finds nothing.
        QVERIFY(m_store->FindByField(CardFields::Nome, QString()).empty());
        QVERIFY(m_store->Database()->HasTable(u"amici"_s));
        addCards({"Rex", "REX", "Rexona", "Fido", "Piet\u00e0", "PIET\u00c0", "Dell'Aquila", "Il \"Bello\"",
                  "a_b", "axb"});
        auto names = [&](const QString& key) {
            QStringList found;
            for (const CardSummary& c : m_store->FindByField(CardFields::Nome, key))
                found.append(c.nome);
            return found.join(u'|');
        };
        QCOMPARE(names(u"rex"_s), u"Rex|REX|Rexona"_s); // in SQLite's order, not sorted
        QCOMPARE(names(u" \t rex  "_s), u"Rex|REX|Rexona"_s);
        QCOMPARE(names(u"\u00e0"_s), u"Piet\u00e0"_s);
        QCOMPARE(names(u"l'a"_s), u"Dell'Aquila"_s);
        QCOMPARE(names(u"a_b"_s), u"a_b|axb"_s); // '_' stays a wildcard
        // A double quote is a character like any other, and the key cannot become SQL.
        QCOMPARE(names(u"\"Bello\""_s), u"Il \"Bello\""_s);
        QCOMPARE(names(u"x\" OR \"1\"=\"1"_s), QString());
        QCOMPARE(names(u"%\" OR varNome LIKE \"%"_s), QString());
        // An empty key, or blanks only, lists every card.
        QCOMPARE(m_store->FindByField(CardFields::Nome, u"   "_s).size(), 10u);
        // No stored text can hold a character outside Windows-1252.
        QCOMPARE(names(u"\u732b"_s), QString());
        QVERIFY(!m_store->Cursor());
        QVERIFY(raisedMessage([&] {
                    m_store->FindByField(CardFields::EditableCount, {});
                }).contains(u"searchable"_s));
    }

    void findByField_searchesTheChosenColumn()
    {
        m_store->OpenArchive(m_store->QueryFirst());
        CardValues v;
        for (int field = 0; field < CardFields::Count; ++field)
            v[std::size_t(field)] = u"campo "_s + QString::number(field).rightJustified(2, u'0');
        v[CardFields::Nome] = u"Stella"_s;
        v[CardFields::Razza] = u"Frisone"_s;
        v[CardFields::Sesso] = u"Femmina"_s;
        v[CardFields::DataNasc] = u"01/02/2020"_s;
        v[CardFields::Telefono] = u"055 123456"_s;
        v[CardFields::Prezzo] = u"\u20ac 1.500"_s;
        const qint64 id = m_store->InsertCard(v);
        addCards({"Altro"});
        for (int field = 0; field < CardFields::EditableCount; ++field) {
            const auto found = m_store->FindByField(field, v[std::size_t(field)]);
            QVERIFY2(found.size() == 1 && found.front().id == id,
                     qPrintable(QString(CardFields::All[std::size_t(field)].column)));
        }
        QVERIFY(m_store->FindByField(CardFields::Razza, u"campo"_s).empty());
        const auto found = m_store->FindByField(CardFields::Prezzo, u"50%"_s);
        QCOMPARE(found.size(), 1u);
        const CardSummary& c = found.front();
        QCOMPARE(c.id, id);
        QCOMPARE(QStringList({c.nome, c.razza, c.sesso, c.dataNasc, c.telefono, c.prezzo}),
                 QStringList({u"Stella"_s, u"Frisone"_s, u"Femmina"_s, u"01/02/2020"_s, u"055 123456"_s,
                              u"\u20ac 1.500"_s}));
        // The chosen card is then read whole on the same connection.
        const TSQLiteDatabase* searched = m_store->Database();
        TSQLiteTable& row = m_store->Query(m_store->QueryById(c.id));
        QCOMPARE(m_store->Database(), searched);
        QCOMPARE(CategoryStore::ReadCard(row)[CardFields::Didascalia], u"campo 27"_s);
    }

    void findByFields_joinsTheNineFields()
    {
        m_store->OpenArchive(m_store->QueryFirst());
        // Card i holds "chiave i" in the i-th search field only.
        for (std::size_t i = 0; i < AdvancedSearchFields.size(); ++i) {
            CardValues v = card(u"Scheda %1"_s.arg(i));
            v[std::size_t(AdvancedSearchFields[i])] += u" chiave %1"_s.arg(i);
            m_store->InsertCard(v);
        }
        for (std::size_t i = 0; i < AdvancedSearchFields.size(); ++i) {
            AdvancedSearchTexts texts;
            texts[i] = u"CHIAVE %1"_s.arg(i);
            const auto found = m_store->FindByFields(texts);
            QCOMPARE(found.size(), 1u);
            QCOMPARE(found.front().id, qint64(i) + 1);
        }
        AdvancedSearchTexts blank;
        blank.fill(u"  "_s);
        QCOMPARE(m_store->FindByFields(blank).size(), AdvancedSearchFields.size());
        AdvancedSearchTexts both;
        both[0] = u"scheda"_s;
        both[8] = u"chiave 8"_s;
        QCOMPARE(m_store->FindByFields(both).size(), 1u);
        both[4] = u"\u732b"_s;
        QVERIFY(m_store->FindByFields(both).empty());
    }

    void searches_matchNullColumnsWhenEmpty()
    {
        m_store->OpenArchive(m_store->QueryFirst());
        // A card written by another program with only a name: every other column is NULL.
        m_store->Database()->ExecuteStatement(u"INSERT INTO amici (varNome) VALUES ('Solo nome')"_s);
        CardValues v = card(u"Rex"_s);
        v[CardFields::Sesso] = u"Maschio"_s;
        m_store->InsertCard(v);
        v = card(u"Bella"_s);
        v[CardFields::Sesso] = u"Femmina"_s;
        m_store->InsertCard(v);
        QCOMPARE(m_store->FindByFields({}).size(), 3u);
        QCOMPARE(m_store->FindByField(CardFields::Razza, {}).size(), 3u);
        QCOMPARE(m_store->FindByFields({}).front().razza, QString());
        AdvancedSearchTexts sex;
        sex[2] = u"m"_s; // "Maschio" and "Femmina" both hold an m
        QCOMPARE(m_store->FindByFields(sex).size(), 2u);
        sex[0] = u"REX"_s;
        QCOMPARE(m_store->FindByFields(sex).size(), 1u);
    }

    void searches_neverReadThePhotos()
    {
        m_store->OpenArchive(m_store->QueryFirst());
        QByteArray photo(4 * 1024 * 1024, 'j');
        for (int i = 0; i < 3; ++i) {
            const qint64 id = m_store->InsertCard(card(u"Rex %1"_s.arg(i)));
            m_store->Database()->StoreBlob(u"UPDATE amici SET picture = ? WHERE ID = %1"_s.arg(id), photo);
        }
        if (sqlite3_memory_used() == 0)
            QSKIP("this SQLite keeps no memory statistics");
        // A store that has read nothing yet, as the search screens' own.
        m_store = std::make_unique<CategoryStore>(amici(), m_dir->path(), 200);
        sqlite3_memory_highwater(1);
        QCOMPARE(m_store->FindByField(CardFields::Nome, {}).size(), 3u);
        QCOMPARE(m_store->FindByFields({}).size(), 3u);
        const qint64 peak = sqlite3_memory_highwater(0);
        QVERIFY2(peak < 1024 * 1024, qPrintable(u"peak %1 bytes"_s.arg(peak)));
    }

    void compact_keepsMemoryBounded()
    {
        m_store->OpenArchive(m_store->QueryFirst());
        // About 24 MB of pictures, then half of them deleted.
        QByteArray noise(800 * 1024, Qt::Uninitialized);
        for (qsizetype i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 2654435761u) >> 13);
        const QString file = m_dir->filePath(u"big.jpg"_s);
        for (int i = 0; i < 30; ++i) {
            noise[0] = char(i);
            QVERIFY(TestFiles::WriteFile(file, noise));
            m_store->SaveCard(std::nullopt, card(u"card %1"_s.arg(i)), file);
        }
        m_store->Database()->ExecuteStatement(u"DELETE FROM amici WHERE ID % 2 = 0"_s);
        const qint64 before = QFileInfo(m_store->DatabasePath()).size();
        if (sqlite3_memory_used() == 0)
            QSKIP("this SQLite keeps no memory statistics");
        sqlite3_memory_highwater(1);
        m_store->CompactArchive();
        const qint64 peak = sqlite3_memory_highwater(0);
        QVERIFY(QFileInfo(m_store->DatabasePath()).size() < before * 2 / 3);
        QVERIFY2(peak < 8 * 1024 * 1024, qPrintable(u"peak %1 bytes"_s.arg(peak)));
        // The connection is back to memory for its other temporary work.
        QCOMPARE(m_store->Database()->OpenQuery(u"PRAGMA temp_store"_s)->IntegerValue(0), 2);
        QCOMPARE(countCards(*m_store), 15);
    }
};

QTEST_GUILESS_MAIN(TestCategoryStore)
#include "tst_categorystore.moc"
