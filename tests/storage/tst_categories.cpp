// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/CardFields.h"
#include "storage/CategoryDescriptor.h"
#include "storage/Win1252.h"

#include <QSet>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestCategories : public QObject
{
    Q_OBJECT
private slots:
    void lookups_findEveryCategoryByKeyAndTable()
    {
        QSet<QString> files;
        for (const auto& c : Categories::All) {
            QCOMPARE(Categories::ByKey(QString(c.key)), &c);
            QCOMPARE(Categories::ByTableName(QString(c.tableName)), &c);
            QCOMPARE(QString(c.tableName), QString(c.key).toLower());
            files.insert(c.databaseFileName);
        }
        QCOMPARE(files.size(), 10); // every archive has a file of its own
        QVERIFY(!Categories::ByKey(u"amici"_s));
        QVERIFY(!Categories::ByTableName(u"Amici"_s));
    }

    void texts_areFormedFromTheDescriptor()
    {
        const auto& hobby = *Categories::ByKey(u"Hobby"_s);
        QCOMPARE(QString(hobby.databaseFileName), u"Altri.db"_s);
        QCOMPARE(Categories::RecordCardCaption(hobby), u"  Altri animali"_s);
        QCOMPARE(Categories::PrintedListTitle(hobby), u"Archivio anagrafico altri animali"_s);

        const auto& amici = *Categories::ByKey(u"Amici"_s);
        QCOMPARE(Categories::ColourLabel(amici), u"Colore mantello:"_s);
        QCOMPARE(Categories::CoatTypeLabel(amici), u"Tipologia pelo:"_s);
        QCOMPARE(Categories::SearchHeading(amici), u"Ricerca cavalli in archivio"_s);
        QCOMPARE(Categories::ExportCaption(amici), u" Esportazione archivio anagrafico cavalli"_s);
        QCOMPARE(Categories::ExportColourColumn(amici), u" Colore mantello"_s);
        QCOMPARE(Categories::SheetName(amici), u"Archivio cavalli"_s);
        QCOMPARE(Categories::FindName(amici), u"TfrmTrovaAmici"_s);
        QCOMPARE(Categories::RecordCardName(amici), u"TfrmAmici"_s);

        const auto& birds = *Categories::ByKey(u"Ricorrenze"_s);
        QCOMPARE(CardFields::Label(CardFields::Colore, birds), u"Colore piumaggio:"_s);
        QCOMPARE(CardFields::Label(CardFields::Pelo, birds), u"Tipologia piume:"_s);
        QCOMPARE(CardFields::Label(CardFields::Colore, *Categories::ByKey(u"Sposi"_s)), u"Colore pelle:"_s);
        QCOMPARE(CardFields::Label(CardFields::Colore, *Categories::ByKey(u"Celebrazioni"_s)),
                 u"Colore pelle:"_s);
    }

    void cardFields_keepTheirOrder()
    {
        QCOMPARE(int(CardFields::All.size()), 36);
        QCOMPARE(QString(CardFields::All.front().column), u"varNome"_s);
        QCOMPARE(QString(CardFields::All[CardFields::Didascalia].column), u"varDidascalia"_s);
        QCOMPARE(QString(CardFields::All.back().column), u"varCartellaDesc"_s);
        for (int i = 0; i < CardFields::Count; ++i) {
            const auto& f = CardFields::All[std::size_t(i)];
            // Every control is named after its column; the holders are hidden and unlabelled.
            const QString stem = QString(f.column).mid(3);
            QVERIFY(QString(f.control).endsWith(stem));
            QCOMPARE(f.kind == CardField::Kind::Holder, i >= CardFields::EditableCount);
            QCOMPARE(f.label.isEmpty(),
                     i >= CardFields::EditableCount || i == CardFields::Colore || i == CardFields::Pelo);
        }
        QCOMPARE(CardFields::Label(25, Categories::All[0]), u"Specialit\u00e0:"_s);
        QCOMPARE(CardFields::Choices(CardFields::Sterilizzato), (QStringList{u"No"_s, u"S\u00ec"_s}));
    }

    void win1252_roundTripsEveryByte()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = Win1252::Decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(text.at(0x80), QChar(0x20AC)); // euro sign
        QCOMPARE(Win1252::Encode(text).value(), all);
        QCOMPARE(Win1252::Encode(u"Perch\u00e9 \u00e8 cos\u00ec, \u20ac 1.200"_s).value(),
                 "Perch\xe9 \xe8 cos\xec, \x80 1.200"_ba);
    }

    void win1252_reportsWhatItCannotHold()
    {
        qsizetype bad = -1;
        QVERIFY(!Win1252::Encode(u"Micio \u732b"_s, &bad));
        QCOMPARE(bad, 6);
        QVERIFY(!Win1252::Encode(u"ok \U0001F436 dog"_s, &bad)); // outside the basic plane
        QCOMPARE(bad, 3);
        QVERIFY(!Win1252::Encode(u"\u0100"_s));
        QCOMPARE(Win1252::Encode(QString()).value(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestCategories)
#include "tst_categories.moc"
