// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/TestArchive.h"

#include <QListView>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

// The lines a list view shows, in order.
inline QStringList ListLines(const QListView* list)
{
    QStringList lines;
    const QAbstractItemModel* model = list->model();
    for (int i = 0; i < model->rowCount(); ++i)
        lines << model->index(i, 0).data().toString();
    return lines;
}

// Double-clicks row of a list view as the user would (the first click selects it).
inline void DoubleClickRow(QListView* list, int row)
{
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    const QPoint at = list->visualRect(index).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// One word of a PDF page as pdftotext -bbox reports it, in points from the page's top left corner.
struct PdfWord
{
    int page = 0;
    double x = 0;
    double y = 0;
    QString text;
};

inline std::vector<PdfWord> PdfWords(const QString& pdf)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    const QString html = QString::fromUtf8(tool.readAllStandardOutput());
    static const QRegularExpression element(QStringLiteral(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re"));
    std::vector<PdfWord> words;
    int page = -1;
    for (const auto& m : element.globalMatch(html)) {
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            ++page;
            continue;
        }
        QString text = m.captured(3);
        text.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
            .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
            .replace(QStringLiteral("&apos;"), QStringLiteral("'"));
        words.push_back({page, m.captured(1).toDouble(), m.captured(2).toDouble(), text});
    }
    return words;
}

// The words of a PDF joined by single blanks, page after page.
inline QString PdfText(const std::vector<PdfWord>& words)
{
    QStringList texts;
    for (const PdfWord& w : words)
        texts << w.text;
    return texts.join(u' ');
}
