// SPDX-License-Identifier: GPL-3.0-or-later
// The store on both engines: the same cases run on a file archive and on a real PostgreSQL server
// (tests/support/PgTestServer); then the cases only the server has.
#include "program/Console.h"
#include "program/Settings.h"
#include "server/ArchiveMove.h"
#include "server/ArchiveStores.h"
#include "server/EServerError.h"
#include "server/PgConnection.h"
#include "server/ServerArchiveStore.h"
#include "server/ServerLink.h"
#include "server/ServerSchema.h"
#include "storage/FileArchiveStore.h"
#include "storage/TSQLiteDatabase.h"
#include "storage/Win1252.h"
#include "support/PgTestServer.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const CategoryDescriptor& amici()
{
    return *Categories::ByKey(u"Amici"_s);
}

CardValues named(const QString& name)
{
    CardValues values;
    values[CardFields::Nome] = name;
    return values;
}

std::vector<qint64> idsOf(const std::vector<CardSummary>& cards)
{
    std::vector<qint64> ids;
    for (const CardSummary& c : cards)
        ids.push_back(c.id);
    return ids;
}

} // namespace

class TestArchiveStore : public QObject
{
    Q_OBJECT

public:
    explicit TestArchiveStore(PgTestServer* server)
        : m_server(server)
    {
        setObjectName(server ? u"server"_s : u"file"_s);
    }

private:
    // A store of its own, as another workstation (or another copy of the program) has.
    std::unique_ptr<ArchiveStore> workstation() const
    {
        if (m_server)
            return std::make_unique<ServerArchiveStore>(
                amici(), std::make_shared<ServerLink>(m_server->ConnectionString()));
        return std::make_unique<FileArchiveStore>(amici(), m_dir->path());
    }
    QString location() const { return m_server ? m_server->ConnectionString() : m_dir->path(); }
    QString photoFile(const QByteArray& bytes) const
    {
        const QString path = m_dir->filePath(u"foto.jpg"_s);
        return TestFiles::WriteFile(path, bytes) ? path : QString();
    }

    PgTestServer* m_server;
    std::unique_ptr<QTemporaryDir> m_dir;

private slots: // run once per engine, by the two classes below
    void initTestCase()
    {
        if (m_server && !m_server->Error().isEmpty())
            QFAIL(qPrintable(m_server->Error()));
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        if (m_server)
            QCOMPARE(m_server->ResetDatabase(), QString());
    }

    void positioning_readsWholeCardsInIdentifierOrder()
    {
        auto store = workstation();
        QVERIFY(!store->Position(ArchiveStore::Step::First));
        QVERIFY(!store->Position(ArchiveStore::Step::Last));
        QCOMPARE(store->CardCount(), 0);

        const QByteArray photo = TestFiles::MakeJpeg({40, 30});
        CardValues second = named(u"  Due \u0081 \u00e0  "_s);
        second[CardFields::Note] = u"riga 1\r\nriga 2\n"_s;
        second[CardFields::Cartella] = u"/home/anna/foto"_s;
        const qint64 a = store->SaveCard({}, named(u"Uno"_s), {});
        StoredCard written;
        const qint64 b = store->SaveCard({}, second, photoFile(photo), nullptr, &written);
        const qint64 c = store->SaveCard({}, named(u"Tre"_s), {});
        QVERIFY(a < b && b < c);
        QCOMPARE(store->CardCount(), 3);

        // Read whole: the texts as Windows-1252 bytes, trimmed of codes 0 to 32; the photo byte for byte.
        const auto card = store->Read(b);
        QVERIFY(card);
        QCOMPARE(card->id, b);
        QCOMPARE(card->stored.texts.at(CardFields::Nome), QByteArray("Due \x81 \xe0"));
        QCOMPARE(card->stored.texts.at(CardFields::Note), QByteArray("riga 1\r\nriga 2"));
        QCOMPARE(card->stored.texts.at(CardFields::Cartella), QByteArray("/home/anna/foto"));
        QCOMPARE(card->stored.picture, photo);
        QCOMPARE(card->stored, written);

        using Step = ArchiveStore::Step;
        auto idAt = [&](Step step, std::optional<qint64> from) {
            const auto found = store->Position(step, from);
            return found ? found->id : 0;
        };
        QCOMPARE(idAt(Step::First, {}), a);
        QCOMPARE(idAt(Step::Next, a), b);
        QCOMPARE(idAt(Step::Previous, c), b);
        QCOMPARE(idAt(Step::Last, {}), c);
        QCOMPARE(idAt(Step::Next, c), 0);
        QCOMPARE(idAt(Step::Previous, a), 0);
        QCOMPARE(idAt(Step::Next, {}), a); // no card shown: the first
        // Another workstation deletes the card shown; the steps go on from its identifier.
        workstation()->DeleteCard(b);
        QCOMPARE(idAt(Step::Next, b), c);
        QCOMPARE(idAt(Step::Previous, b), a);
        QVERIFY(!store->Read(b));

        const std::array<int, 2> fields{CardFields::Nome, CardFields::Note};
        const auto rows = store->FieldsOfAll(fields);
        QCOMPARE(rows.size(), 2u);
        QCOMPARE(rows[0], (QList<QByteArray>{"Uno", ""}));
        QCOMPARE(rows[1], (QList<QByteArray>{"Tre", ""}));
    }

    void search_followsTheByteWiseRule_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<std::vector<qint64>>("expected");
        // Cards 1 to 9, in this order: Pietà, PIETÀ, Perché, città, Rex_1, Rex%2, rexy, the undefined byte
        // 0x81, and a card with no name.
        QTest::newRow("à finds à only") << u"\u00e0"_s << std::vector<qint64>{1, 4};
        QTest::newRow("À finds À only") << u"\u00c0"_s << std::vector<qint64>{2};
        QTest::newRow("é") << u"\u00e9"_s << std::vector<qint64>{3};
        QTest::newRow("É finds nothing") << u"\u00c9"_s << std::vector<qint64>{};
        QTest::newRow("A-Z ignore case") << u"REX"_s << std::vector<qint64>{5, 6, 7};
        QTest::newRow("_ is one byte") << u"x_2"_s << std::vector<qint64>{6};
        QTest::newRow("% is any run") << u"x%1"_s << std::vector<qint64>{5};
        QTest::newRow("trimmed key") << u" \t rexy\r\n"_s << std::vector<qint64>{7};
        QTest::newRow("undefined byte") << u"\u0081"_s << std::vector<qint64>{8};
        QTest::newRow("empty key finds all") << QString() << std::vector<qint64>{1, 2, 3, 4, 5, 6, 7, 8, 9};
        QTest::newRow("not Windows-1252") << u"\u6587"_s << std::vector<qint64>{};
    }
    void search_followsTheByteWiseRule()
    {
        QFETCH(QString, key);
        QFETCH(std::vector<qint64>, expected);
        auto store = workstation();
        const QStringList names{u"Piet\u00e0"_s, u"PIET\u00c0"_s, u"Perch\u00e9"_s,
                                u"citt\u00e0"_s, u"Rex_1"_s,      u"Rex%2"_s,
                                u"rexy"_s,       u"\u0081"_s,     {}};
        for (const QString& name : names) {
            CardValues values = named(name);
            values[CardFields::Razza] = u"Maremmano"_s;
            store->SaveCard({}, values, {});
        }
        QCOMPARE(idsOf(store->FindByField(CardFields::Nome, key)), expected);
        // The advanced search: every field its own key, all of them matching.
        AdvancedSearchTexts texts;
        texts[0] = key;
        texts[1] = u"MAREM"_s;
        QCOMPARE(idsOf(workstation()->FindByFields(texts)), expected);
        texts[1] = u"Murgese"_s;
        QCOMPARE(idsOf(store->FindByFields(texts)), std::vector<qint64>{});
        // The list's columns come along.
        if (!expected.empty()) {
            const auto found = store->FindByField(CardFields::Nome, key);
            QCOMPARE(found.front().nome, names.at(expected.front() - 1));
            QCOMPARE(found.front().razza, u"Maremmano"_s);
        }
    }

    void save_checksForChangesAndDeletionsElsewhere()
    {
        auto mine = workstation();
        auto other = workstation();
        const QByteArray photo = TestFiles::MakeJpeg({20, 20});
        const qint64 id = mine->SaveCard({}, named(u"Rex"_s), photoFile(photo));
        const StoredCard read = mine->Read(id)->stored;

        // Changed elsewhere: refused, nothing stored; then overwritten when the user says so.
        other->SaveCard(id, named(u"Rex II"_s), {}, &read);
        QVERIFY_THROWS_EXCEPTION(ECardChangedElsewhere, mine->SaveCard(id, named(u"Fido"_s), {}, &read));
        QCOMPARE(other->Read(id)->stored.texts.at(CardFields::Nome), QByteArray("Rex II"));
        StoredCard written;
        QCOMPARE(mine->SaveCard(id, named(u"Fido"_s), {}, nullptr, &written), id);
        QCOMPARE(written.texts.at(CardFields::Nome), QByteArray("Fido"));
        QCOMPARE(written.picture, photo); // a save without a new photo keeps the stored one

        // A photo that cannot be read changes nothing.
        QVERIFY_THROWS_EXCEPTION(ESQLiteException,
                                 mine->SaveCard(id, named(u"Bobi"_s), m_dir->filePath(u"no"_s)));
        QCOMPARE(other->Read(id)->stored, written);

        // Deleted elsewhere: the save says so, and inserts nothing.
        other->DeleteCard(id);
        for (const StoredCard* expected :
             {static_cast<const StoredCard*>(&written), static_cast<const StoredCard*>(nullptr)}) {
            try {
                mine->SaveCard(id, named(u"Fido"_s), {}, expected);
                QFAIL("saved a deleted card");
            } catch (const ECardChangedElsewhere&) {
                QFAIL("a deleted card reported as changed");
            } catch (const ESQLiteException& e) {
                QVERIFY2(e.message().contains(u"non \u00e8 pi\u00f9 presente"_s), qPrintable(e.message()));
            }
        }
        QCOMPARE(other->CardCount(), 0);
    }

    void writers_twoAtOnceLoseNothing()
    {
        // Two workstations start on an archive that does not exist yet, each saves a card of its own and
        // then changes it 150 times, with a photo every tenth save.
        std::vector<std::unique_ptr<QProcess>> writers;
        for (int i = 0; i < 2; ++i) {
            auto writer = std::make_unique<QProcess>();
            writer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            writer->start(QStringLiteral(STORE_WRITER), {objectName(), location(), u"150"_s});
            QVERIFY(writer->waitForStarted());
            writers.push_back(std::move(writer));
        }
        auto store = workstation();
        for (const auto& writer : writers) {
            QVERIFY(writer->waitForFinished(-1));
            const QString report = QString::fromUtf8(writer->readAllStandardOutput()).trimmed();
            const auto match =
                QRegularExpression(u"^saved=150 conflicts=0 errors=0 id=(\\d+) last=(.+)$"_s).match(report);
            QVERIFY2(match.hasMatch(), qPrintable(report));
            const auto card = store->Read(match.captured(1).toLongLong());
            QVERIFY(card);
            QCOMPARE(Win1252::Decode(card->stored.texts.at(CardFields::Note)), match.captured(2));
            QCOMPARE(card->stored.picture.size(), 300000);
        }
        QCOMPARE(store->CardCount(), 2);
    }
};

// What only the server has: its layout and version, its connection and the messages about it.
class TestFileStore : public TestArchiveStore
{
    Q_OBJECT
public:
    TestFileStore()
        : TestArchiveStore(nullptr)
    {}
};

class TestServerStore : public TestArchiveStore
{
    Q_OBJECT
public:
    explicit TestServerStore(PgTestServer& server)
        : TestArchiveStore(&server)
    {}
};

class TestServerOnly : public QObject
{
    Q_OBJECT

public:
    explicit TestServerOnly(PgTestServer& server)
        : m_server(server)
    {}

private:
    PgTestServer& m_server;

    std::unique_ptr<ServerArchiveStore> store(const CategoryDescriptor& category = amici())
    {
        return std::make_unique<ServerArchiveStore>(
            category, std::make_shared<ServerLink>(m_server.ConnectionString()));
    }
    bool hasTable(PgConnection& c, const QString& table)
    {
        return c.Exec(u"SELECT to_regclass($1) IS NOT NULL"_s, {PgParam::Text(table)}).Bytes(0, 0) == "\1";
    }

private slots:
    void initTestCase()
    {
        if (!m_server.Error().isEmpty())
            QFAIL(qPrintable(m_server.Error()));
    }
    void init() { QCOMPARE(m_server.ResetDatabase(), QString()); }

    void layout_isCreatedMigratedOrRefused()
    {
        PgConnection admin(m_server.ConnectionString());
        // A server at the first version: the card tables only, one card stored.
        ServerSchema::Ensure(admin, 1);
        QCOMPARE(ServerSchema::StoredVersion(admin), 1);
        QVERIFY(hasTable(admin, u"cavalli.amici"_s) && hasTable(admin, u"altri.hobby"_s));
        QVERIFY(!hasTable(admin, u"cavalli.scadenze"_s));
        admin.Exec(u"INSERT INTO cavalli.amici (varNome, Ext) VALUES ('Rex'::bytea, 'JPG')"_s);

        // Migrated when the program connects; the card kept.
        auto horses = store();
        QCOMPARE(horses->CardCount(), 1);
        QCOMPARE(ServerSchema::StoredVersion(admin), ServerSchema::Version);
        for (const CategoryDescriptor& c : Categories::All) {
            QVERIFY(hasTable(admin, ServerSchema::CardTable(c)));
            QVERIFY(hasTable(admin, ServerSchema::ScheduleTable(c)));
            QVERIFY(hasTable(admin, ServerSchema::TreatmentTable(c)));
        }
        // Identifiers are the server's, never reused after the last card is deleted.
        const qint64 id = horses->SaveCard({}, named(u"Fido"_s), {});
        horses->DeleteCard(id);
        QVERIFY(horses->SaveCard({}, named(u"Bobi"_s), {}) > id);

        // A newer version is refused with a message, and nothing is written.
        admin.Exec(u"DROP SCHEMA gatti CASCADE"_s);
        admin.Exec(u"UPDATE codazzurra.versione SET versione = versione + 1"_s);
        try {
            store(*Categories::ByKey(u"Famiglia"_s))->CardCount();
            QFAIL("a newer layout was used");
        } catch (const EServerError& e) {
            QVERIFY2(e.message().contains(u"versione pi\u00f9 recente"_s), qPrintable(e.message()));
        }
        QVERIFY(!hasTable(admin, u"gatti.famiglia"_s));
        QCOMPARE(ServerSchema::StoredVersion(admin), ServerSchema::Version + 1);
    }

    void serverStopped_saveFailsThenWorksWhenBack()
    {
        auto horses = store();
        const qint64 id = horses->SaveCard({}, named(u"Rex"_s), {});
        const StoredCard read = horses->Read(id)->stored;

        // Restarted between two actions: the next read connects again without a word.
        QCOMPARE(m_server.Stop(), QString());
        QCOMPARE(m_server.Start(), QString());
        QCOMPARE(horses->Read(id)->stored, read);

        // Stopped while the card is open: the save says the server cannot be reached, and stores nothing.
        QCOMPARE(m_server.Stop(), QString());
        try {
            horses->SaveCard(id, named(u"Fido"_s), {}, &read);
            QFAIL("saved without a server");
        } catch (const EServerError& e) {
            QVERIFY(e.ConnectionLost());
            QVERIFY2(e.message().contains(u"server degli archivi"_s) && e.message().contains(u"archivi"_s) &&
                         !e.message().contains(u"user="_s),
                     qPrintable(e.message()));
        }
        QCOMPARE(m_server.Start(), QString());
        QCOMPARE(horses->SaveCard(id, named(u"Fido"_s), {}, &read), id);
        QCOMPARE(store()->Read(id)->stored.texts.at(0), QByteArray("Fido"));
    }

    void move_copiesAndVerifiesEveryRow()
    {
        // A folder whose horses' archive holds what other programs may have written: NULLs, the undefined
        // byte 0x81, a photo, gaps between identifiers; and a dogs' archive with no cards.
        QTemporaryDir dir;
        Settings(dir.path()).SetText("Archivi", "Server", m_server.ConnectionString());
        // A folder without archives copies nothing, and says so.
        const ArchiveMove::Outcome none = ArchiveMove::ToServer(dir.path(), false, {});
        QCOMPARE(none.status, ArchiveMove::Status::Refused);
        QVERIFY2(none.reason.contains(u"alcun archivio"_s), qPrintable(none.reason));
        FileArchiveStore(*Categories::ByKey(u"Infanzia"_s), dir.path()).Open();
        FileArchiveStore(amici(), dir.path()).Open();
        {
            TSQLiteDatabase db(dir.filePath(u"Cavalli.db"_s));
            db.ExecuteStatement(u"INSERT INTO amici (ID, varNome, varNote, Ext) VALUES (3, ?, ?, 'JPG')"_s,
                                {"Rex \x81", "riga\r\n"});
            db.ExecuteStatement(u"INSERT INTO amici (ID, varNome) VALUES (40, '')"_s);
            db.StoreBlob(u"UPDATE amici SET Picture = ? WHERE ID = 3"_s, TestFiles::MakeJpeg({64, 48}));
        }
        auto run = [&](int (*mode)(Console&), const QStringList& arguments, QString* printed = nullptr) {
            QString out, err;
            QTextStream outStream(&out), errStream(&err);
            Console console{dir.path(), arguments, outStream, errStream};
            const int code = mode(console);
            outStream.flush();
            if (printed)
                *printed = out + err;
            return code;
        };
        QString printed;
        QVERIFY2(run(ArchiveMove::CopyToServer, {}, &printed) == 0, qPrintable(printed));
        QVERIFY2(printed.contains(u"Cavalli: 2 schede copiate e verificate"_s) &&
                     printed.contains(u"Cani: 0 schede"_s) && printed.contains(u"Gatti: nessun archivio"_s),
                 qPrintable(printed));
        // New cards on the server come after the copied ones.
        auto horses = store();
        QCOMPARE(horses->SaveCard({}, named(u"Nuovo"_s), {}), 41);

        // The server holds cards now: refused without --replace, and nothing written.
        QCOMPARE(run(ArchiveMove::CopyToServer, {}, &printed), 1);
        QVERIFY2(printed.contains(u"Cavalli: il server contiene gi\u00e0 3 schede"_s), qPrintable(printed));
        QCOMPARE(horses->CardCount(), 3);
        QCOMPARE(run(ArchiveMove::CopyToServer, {u"--replace"_s}), 0);
        QCOMPARE(horses->CardCount(), 2);

        // Back into files, the same rows byte for byte; only into an empty or new folder.
        const QString back = dir.filePath(u"ritorno"_s);
        QCOMPARE(run(ArchiveMove::CopyFromServer, {back}, &printed), 0);
        QVERIFY2(printed.count(u"copiate e verificate"_s) == 10, qPrintable(printed));
        FileArchiveStore original(amici(), dir.path()), copy(amici(), back);
        QString difference;
        QVERIFY2(ArchiveMove::SameRows(original, copy, &difference), qPrintable(difference));
        QCOMPARE(copy.RowsAfter(0, 10).front().texts[CardFields::Note], QByteArray("riga\r\n"));
        QVERIFY(!copy.RowsAfter(0, 10).back().texts[CardFields::Razza]);
        QCOMPARE(run(ArchiveMove::CopyFromServer, {back}), 1);

        // A server that cannot be reached: failed.
        Settings(dir.path()).SetText("Archivi", "Server", u"host=127.0.0.1 port=1 dbname=archivi"_s);
        QCOMPARE(run(ArchiveMove::CopyToServer, {u"--replace"_s}), 2);
    }

    void connectionErrors_neverShowThePassword()
    {
        for (const QString& info : {u"host=127.0.0.1 port=1 dbname=archivi user=anna password=Segreto42"_s,
                                    u"host=127.0.0.1 port=1 Segreto42"_s}) {
            try {
                PgConnection connection(info);
                QFAIL("connected to nothing");
            } catch (const EServerError& e) {
                QVERIFY(e.ConnectionLost());
                QVERIFY2(!e.message().contains(u"Segreto42"_s), qPrintable(e.message()));
                // Said in the user's words first, libpq's own after.
                QVERIFY2(!info.contains(u"user="_s) || e.message().contains(u"il server non risponde"_s),
                         qPrintable(e.message()));
            }
        }
        // Over TCP as a workstation connects, with the server named in messages.
        PgConnection tcp(m_server.TcpConnectionString());
        QVERIFY(tcp.ServerName().startsWith(u"127.0.0.1:"_s));
        // TCP keepalives find a dropped network, unless the string says otherwise.
        QCOMPARE(tcp.Setting("keepalives"), u"1"_s);
        QCOMPARE(tcp.Setting("keepalives_idle"), u"30"_s);
        QCOMPARE(
            PgConnection(m_server.TcpConnectionString() + u" keepalives_idle=5"_s).Setting("keepalives_idle"),
            u"5"_s);
        // Messages and the help name the server by host, port and database only.
        QCOMPARE(
            ArchiveStores::ServerName(u"host=db.example port=5433 dbname=archivi user=anna password=x"_s),
            u"db.example:5433/archivi"_s);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    PgTestServer server;
    TestFileStore onFiles;
    TestServerStore onServer(server);
    TestServerOnly serverOnly(server);
    int failed = QTest::qExec(&onFiles, argc, argv);
    failed += QTest::qExec(&onServer, argc, argv);
    failed += QTest::qExec(&serverOnly, argc, argv);
    return failed == 0 ? 0 : 1;
}

#include "tst_archivestore.moc"
