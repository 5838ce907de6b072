// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/WordExport.h"
#include "support/RecordingServer.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using namespace Automation;

namespace {

const CategoryDescriptor& category(const char* key)
{
    return *Categories::ByKey(QString::fromLatin1(key));
}

const QStringList AmiciLabels = {
    u"Nome:"_s,
    u"Razza:"_s,
    u"Sesso:"_s,
    u"Data di nascita:"_s,
    u"Luogo di nascita:"_s,
    u"Proprietario:"_s,
    u"Medico veterinario:"_s,
    u"Altezza:"_s,
    u"Lunghezza:"_s,
    u"Taglia:"_s,
    u"Peso:"_s,
    u"Colore mantello:"_s,
    u"Tipologia pelo:"_s,
    u"Segni particolari:"_s,
    u"Numero passaporto:"_s,
    u"Codice microchip:"_s,
    u"Tatuaggio:"_s,
    u"Sterilizzato:"_s,
    u"Certificato genealogico:"_s,
    u"Alimentazione:"_s,
    u"Vaccinazioni:"_s,
    u"Profilo caratteriale:"_s,
    u"Addestratore:"_s,
    u"Telefono:"_s,
    u"Prezzo:"_s,
    u"Specialit\u00e0:"_s,
    u"Note:"_s,
    u"Didascalia:"_s,
};

QString str(const QString& s)
{
    return u"VT_BSTR \"%1\""_s.arg(s);
}

// The calls of one export, as the recording server describes them.
QStringList expectedCalls(const QString& picturePath, const QStringList& labels, const QStringList& values)
{
    const QString ws = u"App.ActiveWindow.Selection"_s;
    const QStringList window = {u"App.ActiveWindow get()"_s, u"App.ActiveWindow.Selection get()"_s};
    const auto font = [&](const QString& member, const QString& value) {
        return window +
               QStringList{ws + u".Font get()"_s, ws + u".Font."_s + member + u" put("_s + value + u')'};
    };
    const auto align = [&](int value) {
        return window + QStringList{ws + u".ParagraphFormat get()"_s,
                                    ws + u".ParagraphFormat.Alignment put(VT_I4 %1)"_s.arg(value)};
    };
    const auto call = [&](const QString& method, const QString& args = {}) {
        return window + QStringList{ws + u'.' + method + u" method("_s + args + u')'};
    };
    QStringList c;
    c << u"App.Documents get()"_s << u"App.Documents.Add method()"_s; // 1
    c << align(1);                                                    // 2
    c << call(u"InsertAfter"_s, str(u"SCHEDA ANIMALE DOMESTICO"_s));  // 3
    c << call(u"InsertParagraphAfter"_s);                             // 4
    c << font(u"Name"_s, str(u"Arial"_s));                            // 5
    c << font(u"Size"_s, u"VT_I4 10"_s);                              // 6
    c << font(u"Bold"_s, u"VT_BOOL true"_s);                          // 7
    c << call(u"EndOf"_s);                                            // 8
    c << u"App.Selection get()"_s << u"App.Selection.range get()"_s   // 9
      << u"App.Selection.range.Font get()"_s << u"App.Selection.range.Font.Name put(VT_BSTR \"Arial\")"_s
      << u"App.Selection.range.Font get()"_s << u"App.Selection.range.Font.Size put(VT_I4 10)"_s;
    c << u"App.Selection get()"_s << u"App.Selection.TypeParagraph method()"_s; // 10
    c << u"App.Selection get()"_s << u"App.Selection.InlineShapes get()"_s      // 12
      << u"App.Selection.InlineShapes.AddPicture method(%1, VT_BOOL false, VT_BOOL true)"_s.arg(
             str(picturePath));
    c << u"App.Selection get()"_s << u"App.Selection.TypeParagraph method()"_s; // 13
    c << align(1);                                                              // 14
    c << call(u"InsertAfter"_s, str(QString()));                                // 15
    c << call(u"InsertParagraphAfter"_s);                                       // 16
    c << font(u"Name"_s, str(u"Arial"_s)) << font(u"Size"_s, u"VT_I4 10"_s)     // 17
      << font(u"Bold"_s, u"VT_BOOL true"_s);
    c << call(u"EndOf"_s);                                           // 18
    c << align(3);                                                   // 19
    c << u"App.Selection get()"_s << u"App.Selection.range get()"_s; // 20
    c << u"App.Selection get()"_s << u"App.Selection.range get()"_s  // 21
      << u"App.Selection.range.Tables get()"_s
      << u"App.Selection.range.Tables.Add method(range:=VT_DISPATCH App.Selection.range, NumRows:=VT_I4 28, "_s
         "NumColumns:=VT_I4 2)"_s;
    const QString cell = u"App.Selection.range.Tables.Item.Cell"_s;
    for (int r = 1; r <= 28; ++r) { // 22
        for (int col = 1; col <= 2; ++col) {
            c << u"App.Selection get()"_s << u"App.Selection.range get()"_s
              << u"App.Selection.range.Tables get()"_s << u"App.Selection.range.Tables.Item method(VT_I4 1)"_s
              << u"App.Selection.range.Tables.Item.Cell method(VT_I4 %1, VT_I4 %2)"_s.arg(r).arg(col)
              << cell + u".range get()"_s
              << cell + u".range.InsertAfter method("_s +
                     str(col == 1 ? labels.at(r - 1) : values.at(r - 1)) + u')';
        }
    }
    c << u"App.Visible put(VT_BOOL true)"_s; // 23
    return c;
}

// The step of the export that the k-th automation call (from 1) belongs to.
int stepOf(int k)
{
    // Calls per step; step 11 writes the picture file and makes none.
    static const int invocations[] = {2, 4, 3, 3, 4, 4, 4, 3, 6, 2, 0, 3, 2, 4, 3, 3, 12, 3, 4, 2, 4, 392, 1};
    int last = 0;
    for (int step = 1; step <= 23; ++step) {
        last += invocations[step - 1];
        if (k <= last)
            return step;
    }
    return 0;
}

} // namespace

class TestWordExport : public QObject
{
    Q_OBJECT

    Registry m_registry;
    RecordingServer m_server;
    std::unique_ptr<QTemporaryDir> m_folder;
    const QByteArray m_photo = TestFiles::MakeJpeg(QSize(64, 48));
    const QByteArray m_placeholder = TestFiles::MakeJpeg(QSize(32, 24));

    QString picturePath() const { return QDir(m_folder->path()).absoluteFilePath(u"Scheda.bmp"_s); }

    WordExportResult exportCard(const CardTextReader& reader, const char* key = "Amici",
                                const QByteArray* picture = nullptr)
    {
        return ExportCardToWord(reader, category(key), picture ? *picture : m_photo, m_placeholder,
                                m_folder->path(), m_registry);
    }

private slots:
    void init()
    {
        m_server.Clear();
        m_server.Install(m_registry, u"Word.Application"_s);
        m_folder = std::make_unique<QTemporaryDir>();
    }

    void labels_followTheCategory()
    {
        QStringList amici, birds;
        for (int row = 1; row <= 28; ++row) {
            amici << WordExportLabel(row, category("Amici"));
            birds << WordExportLabel(row, category("Ricorrenze"));
        }
        QCOMPARE(amici, AmiciLabels);
        QStringList expectedBirds = AmiciLabels;
        expectedBirds[11] = u"Colore piumaggio:"_s;
        expectedBirds[12] = u"Tipologia piume:"_s;
        QCOMPARE(birds, expectedBirds);
    }

    void export_makesTheCallsInOrderReadingEachValueJustBeforeItsCell()
    {
        QStringList values;
        for (int r = 1; r <= 28; ++r)
            values << u"valore %1"_s.arg(r);
        QList<int> callsBeforeRead;
        const auto reader = [&](int row) {
            callsBeforeRead << int(m_server.Calls().size());
            return u"  "_s + values.at(row - 1) + u"\t"_s;
        };
        const int live = Dispatch::LiveObjects();
        const WordExportResult result = exportCard(reader, "Ricorrenze");
        QVERIFY2(result.ok, qPrintable(result.errorText));

        QStringList labels = AmiciLabels;
        labels[11] = u"Colore piumaggio:"_s;
        labels[12] = u"Tipologia piume:"_s;
        const QStringList expected = expectedCalls(picturePath(), labels, values);
        QCOMPARE(expected.size(), 468);
        const QStringList actual = m_server.Lines();
        for (int i = 0; i < qMin(actual.size(), expected.size()); ++i)
            QVERIFY2(actual.at(i) == expected.at(i),
                     qPrintable(u"call %1: %2"_s.arg(i + 1).arg(actual.at(i))));
        QCOMPARE(actual.size(), expected.size());
        QCOMPARE(m_server.LiveObjects(), 0);
        QCOMPARE(Dispatch::LiveObjects(), live);

        // Each value is read after the cell before it is written and before its own cell's calls.
        const int cellsStart = 75;
        QCOMPARE(callsBeforeRead.size(), 28);
        for (int r = 1; r <= 28; ++r)
            QCOMPARE(callsBeforeRead.at(r - 1), cellsStart + (2 * r - 1) * 7);
        // Call 21 passes the range of call 20, by name.
        const RecordedCall& add = m_server.Calls().at(74);
        QCOMPARE(add.arguments.at(0).name, u"range"_s);
        QCOMPARE(add.arguments.at(0).typeName, u"VT_DISPATCH"_s);
    }

    void values_areTrimmedByTheStoresRuleAndKeepInnerBreaks()
    {
        const QMap<int, QString> typed = {{1, u" \tRex \r\n"_s},
                                          {2, u"   "_s},
                                          {26, u"\u00a0veloce\u00a0"_s},
                                          {27, u"\r\nprima riga\r\nseconda riga\n\n"_s}};
        const WordExportResult result = exportCard([&](int row) { return typed.value(row); });
        QVERIFY(result.ok);
        QHash<QString, QString> written; // label -> value
        const QList<RecordedCall>& calls = m_server.Calls();
        for (int i = 0; i + 7 < calls.size(); ++i) {
            if (calls.at(i).member == u"InsertAfter"_s && calls.at(i).object.endsWith(u"Cell.range"_s) &&
                calls.at(i + 7).member == u"InsertAfter"_s)
                written.insert(calls.at(i).arguments.first().value.ToString(),
                               calls.at(i + 7).arguments.first().value.ToString());
        }
        QCOMPARE(written.value(u"Nome:"_s), u"Rex"_s);
        QCOMPARE(written.value(u"Razza:"_s), QString());
        QCOMPARE(written.value(u"Specialit\u00e0:"_s), u"\u00a0veloce\u00a0"_s);
        QCOMPARE(written.value(u"Note:"_s), u"prima riga\r\nseconda riga"_s);
        QCOMPARE(written.value(u"Didascalia:"_s), QString());
    }

    void pictureFile_holdsTheShownPictureWhole()
    {
        // An older file is replaced.
        QVERIFY(TestFiles::WriteFile(picturePath(), QByteArray(100000, 'x')));
        QVERIFY(exportCard([](int) { return QString(); }).ok);
        QCOMPARE(TestFiles::ReadFile(picturePath()), m_photo);

        // No picture shown: the placeholder.
        const QByteArray none;
        QVERIFY(exportCard([](int) { return QString(); }, "Amici", &none).ok);
        QCOMPARE(TestFiles::ReadFile(picturePath()), m_placeholder);

        // A failure right after the file is written leaves the card's picture, never the placeholder.
        m_server.Clear();
        m_server.FailAtCall(36);
        QCOMPARE(exportCard([](int) { return QString(); }).failedStep, 12);
        QCOMPARE(TestFiles::ReadFile(picturePath()), m_photo);
        QVERIFY(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden).size() == 1);
    }

    void pictureFileNotWritable_failsBeforeThePicture()
    {
        QVERIFY(QDir(m_folder->path()).mkdir(u"Scheda.bmp"_s));
        const WordExportResult result = exportCard([](int) { return QString(); });
        QVERIFY(!result.ok);
        QCOMPARE(result.failedStep, 11);
        QVERIFY(!result.errorText.isEmpty());
        QCOMPARE(m_server.Calls().size(), 35);
        QCOMPARE(m_server.LiveObjects(), 0);
    }

    void failures_stopTheExportAtEveryCall()
    {
        const int live = Dispatch::LiveObjects();
        for (int k = 1; k <= 468; ++k) {
            m_server.Clear();
            m_server.FailAtCall(k);
            int reads = 0;
            const WordExportResult result = exportCard([&](int) {
                ++reads;
                return u"x"_s;
            });
            const QByteArray where = u"automation call %1 (step %2)"_s.arg(k).arg(stepOf(k)).toUtf8();
            QVERIFY2(!result.ok, where);
            QVERIFY2(result.failedStep == stepOf(k), where);
            QVERIFY2(result.errorText == RecordingServer::FailureText, where);
            QVERIFY2(m_server.Calls().size() == k, where);
            QVERIFY2(m_server.LiveObjects() == 0 && Dispatch::LiveObjects() == live, where);
            // The application is made visible only by the last call.
            QVERIFY2(k == 468 || !m_server.Lines().contains(u"App.Visible put(VT_BOOL true)"_s), where);
        }
    }

    void serverMissing_writesNothing()
    {
        m_server.FailCreation(true);
        const WordExportResult result = exportCard([](int) { return QString(); });
        QVERIFY(!result.ok);
        QCOMPARE(result.failedStep, 0);
        QVERIFY(m_server.Calls().isEmpty());
        QVERIFY(!QFile::exists(picturePath()));
    }

    void failureMessage_isTheProgramsText()
    {
        QCOMPARE(
            WordExportFailureMessage,
            u"Si \u00e8 verificato un errore imprevisto durante l'esportazione della scheda in Microsoft Word."_s);
    }
};

QTEST_GUILESS_MAIN(TestWordExport)
#include "tst_wordexport.moc"
