// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/ResultListPrinter.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// One word of a PDF page as pdftotext -bbox reports it, in points from the page's top left corner.
struct PdfWord
{
    int page = 0;
    double x = 0;
    double y = 0;
    QString text;
    double bottom = 0;
};

std::vector<PdfWord> pdfWords(const QString& pdf)
{
    QProcess tool;
    tool.start(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    const QString html = QString::fromUtf8(tool.readAllStandardOutput());
    static const QRegularExpression element(
        uR"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">([^<]*)</word>)re"_s);
    std::vector<PdfWord> words;
    int page = -1;
    for (const auto& m : element.globalMatch(html)) {
        if (m.captured(0).startsWith(u"<page"_s)) {
            ++page;
            continue;
        }
        QString text = m.captured(4);
        text.replace(u"&amp;"_s, u"&"_s).replace(u"&lt;"_s, u"<"_s).replace(u"&gt;"_s, u">"_s);
        words.push_back(
            {page, m.captured(1).toDouble(), m.captured(2).toDouble(), text, m.captured(3).toDouble()});
    }
    return words;
}

PrintedListTexts findTexts()
{
    return {QString(FindDashLine), u"Archivio anagrafico cavalli"_s, u"01/02/2024"_s, u"10:11:12"_s};
}

// A PDF writer of A4 landscape pages at 600 dpi without margins, as a full-page printer.
void setUpPage(QPdfWriter& writer)
{
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF()));
}

} // namespace

class TestResultListPrinter : public QObject
{
    Q_OBJECT

private slots:
    void fontHeight_roundsToTheNearestPixel_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("expected");
        QTest::newRow("8 pt at 96") << 8 << 96 << 11;
        QTest::newRow("10 pt at 96") << 10 << 96 << 13;
        QTest::newRow("8 pt at 600") << 8 << 600 << 67;
        QTest::newRow("14 pt at 600") << 14 << 600 << 117;
        QTest::newRow("12 pt at 600") << 12 << 600 << 100;
        QTest::newRow("14 pt at 300") << 14 << 300 << 58;
    }

    void fontHeight_roundsToTheNearestPixel()
    {
        QFETCH(int, points);
        QFETCH(int, dpi);
        QFETCH(int, expected);
        QCOMPARE(FontHeight(points, dpi), expected);
    }

    void printedTime_leavesOutTheZone_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("it_IT") << u"it_IT"_s << u"09:05:07"_s;
        QTest::newRow("en_US") << u"en_US"_s << u"9:05:07 AM"_s;
        QTest::newRow("fi_FI") << u"fi_FI"_s << u"9.05.07"_s;
    }

    void printedTime_leavesOutTheZone()
    {
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        QCOMPARE(PrintedTime(QTime(9, 5, 7), QLocale(locale)), expected);
    }

    void layout_breaksPagesWithoutHeading()
    {
        QStringList lines;
        for (int i = 0; i < 70; ++i)
            lines.append(u"riga %1"_s.arg(i));
        // 600 dpi: H(14) = 117, H(12) = 100, H(8) = 67; lines break at 4960 - 201.
        const auto layout = LayOutResultList(lines, findTexts(), 600, 4960);
        QCOMPARE(layout.size(), 75u);
        auto at = [&](std::size_t i) { return std::tuple(layout[i].page, layout[i].y, layout[i].pointSize); };
        QCOMPARE(layout[0].text, u"-----------------------"_s);
        QCOMPARE(at(0), std::tuple(0, 234, 14));
        QCOMPARE(layout[1].text, u"Archivio anagrafico cavalli"_s);
        QCOMPARE(at(1), std::tuple(0, 334, 12));
        QCOMPARE(at(2), std::tuple(0, 434, 14));
        QCOMPARE(layout[2].text, layout[0].text);
        QCOMPARE(at(3), std::tuple(0, 635, 8)); // line 0
        QCOMPARE(at(3 + 30), std::tuple(0, 635 + 30 * 134, 8));
        QCOMPARE(at(3 + 31), std::tuple(1, 134, 8)); // 4789 would be past the threshold
        QCOMPARE(layout[3 + 31].text, u"riga 31"_s);
        QCOMPARE(at(3 + 65), std::tuple(1, 134 + 34 * 134, 8));
        QCOMPARE(at(3 + 66), std::tuple(2, 134, 8));
        QCOMPARE(at(3 + 69), std::tuple(2, 134 + 3 * 134, 8));
        // The footer follows the last line when it fits.
        QCOMPARE(layout[73].text, u"____________________"_s);
        QCOMPARE(at(73), std::tuple(2, 134 + 4 * 134 + 50, 8));
        QCOMPARE(layout[74].text, u"Stampa eseguita in data 01/02/2024 alle ore 10:11:12"_s);
        QCOMPARE(at(74), std::tuple(2, 134 + 4 * 134 + 150, 8));
    }

    void footer_startsANewPageWhenItDoesNotFit_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("y"); // of "Stampa eseguita"
        QTest::newRow("29 lines: fits") << 29 << 0 << 635 + 29 * 134 + 150;
        QTest::newRow("31 lines: partly below the page") << 31 << 1 << 134 + 150;
        QTest::newRow("66 lines: wholly below the page") << 66 << 2 << 134 + 150;
    }

    void footer_startsANewPageWhenItDoesNotFit()
    {
        QFETCH(int, lines);
        QFETCH(int, page);
        QFETCH(int, y);
        const QStringList list(lines, u"Cavallo"_s);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"elenco.pdf"_s);
        {
            QPdfWriter writer(pdf);
            setUpPage(writer);
            const auto layout = LayOutResultList(list, findTexts(), 600, writer.height());
            QCOMPARE(std::tuple(layout.back().page, layout.back().y), std::tuple(page, y));
            QCOMPARE(layout.end()[-2].page, page); // the two texts stay together
            QVERIFY(PrintResultList(writer, list, findTexts()));
        }
        const std::vector<PdfWord> words = pdfWords(pdf);
        QVERIFY2(!words.empty(), "pdftotext found no text");
        const QSizeF points = QPageSize(QPageSize::A4).size(QPageSize::Point).transposed();
        for (const QString& text : {u"____________________"_s, u"Stampa"_s, u"10:11:12"_s}) {
            const auto w = std::find_if(words.begin(), words.end(),
                                        [&](const PdfWord& word) { return word.text == text; });
            QVERIFY2(w != words.end(), qPrintable(text));
            QCOMPARE(w->page, page);
            QVERIFY2(w->bottom <= points.height(),
                     qPrintable(u"%1 ends at %2 pt"_s.arg(text).arg(w->bottom)));
        }
    }

    void print_placesTextsOnThePdf()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"elenco.pdf"_s);
        QStringList lines;
        for (int i = 0; i < 70; ++i)
            lines.append(u"Cavallo %1                       Razza: Arabo  Prezzo: \u20ac 1.200"_s.arg(i, 2));
        {
            QPdfWriter writer(pdf);
            setUpPage(writer);
            QVERIFY(writer.height() > 4800 && writer.height() < 4962); // page breaks as in the layout test
            QVERIFY(PrintResultList(writer, lines,
                                    {QString(AdvancedSearchDashLine), u"Archivio anagrafico cavalli"_s,
                                     u"01/02/2024"_s, u"10:11:12"_s}));
        }
        const std::vector<PdfWord> words = pdfWords(pdf);
        QVERIFY2(!words.empty(), "pdftotext found no text");
        QCOMPARE(words.back().page, 2);

        // Device pixels at 600 dpi to points (0.12 pt each); y is the top of the text.
        auto near = [](double points, int pixels) { return std::abs(points - pixels * 72.0 / 600) < 0.1; };
        auto find = [&](const QString& text, int page) -> const PdfWord* {
            for (const PdfWord& w : words) {
                if (w.text == text && w.page == page)
                    return &w;
            }
            return nullptr;
        };
        const PdfWord* dash = find(u"-----------------"_s, 0);
        QVERIFY(dash);
        QVERIFY2(near(dash->x, 150) && near(dash->y, 234), qPrintable(u"%1,%2"_s.arg(dash->x).arg(dash->y)));
        const PdfWord* title = find(u"Archivio"_s, 0);
        QVERIFY(title && near(title->x, 150) && near(title->y, 334));
        const PdfWord* first = find(u"0"_s, 0);
        QVERIFY(first && near(first->y, 635));
        QVERIFY(find(u"Cavallo"_s, 0) && near(find(u"Cavallo"_s, 0)->x, 150));
        const PdfWord* second = find(u"31"_s, 1);
        QVERIFY(second && near(second->y, 134));
        QVERIFY(!find(u"Archivio"_s, 1));
        const PdfWord* stamp = find(u"Stampa"_s, 2);
        QVERIFY(stamp && near(stamp->x, 150) && near(stamp->y, 134 + 4 * 134 + 150));
        QVERIFY(find(u"10:11:12"_s, 2));

        // Every line's words, in order.
        QStringList printed;
        for (const PdfWord& w : words)
            printed.append(w.text);
        const QString all = printed.join(u' ');
        QVERIFY(
            all.contains(u"Cavallo 69 Razza: Arabo Prezzo: \u20ac 1.200 ____________________ Stampa eseguita "
                         "in data 01/02/2024 alle ore 10:11:12"_s));
    }
};

QTEST_MAIN(TestResultListPrinter)
#include "tst_resultlistprinter.moc"
