// SPDX-License-Identifier: GPL-3.0-or-later
// Writes Guida.pdf from the guide's topics, so the PDF says what the guide screens say.
#include "shell/GuideTexts.h"
#include "storage/AtomicFile.h"

#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <cstdio>

namespace {

void addTopic(QTextCursor& cursor, const QString& title, const QStringList& paragraphs, bool first)
{
    QTextBlockFormat heading;
    heading.setTopMargin(first ? 0 : 18);
    heading.setBottomMargin(8);
    if (!first)
        heading.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    QTextCharFormat headingChars;
    headingChars.setFontPointSize(16);
    headingChars.setFontWeight(QFont::Bold);
    headingChars.setForeground(QColor(27, 58, 107));
    cursor.insertBlock(heading, headingChars);
    cursor.insertText(title);
    QTextBlockFormat body;
    body.setBottomMargin(6);
    body.setAlignment(Qt::AlignJustify);
    QTextCharFormat bodyChars;
    bodyChars.setFontPointSize(11);
    for (const QString& p : paragraphs) {
        cursor.insertBlock(body, bodyChars);
        cursor.insertText(p.trimmed());
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_guide_pdf OUTPUT\n");
        return 2;
    }
    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 11));
    QTextCursor cursor(&document);
    QTextCharFormat titleChars;
    titleChars.setFontPointSize(24);
    titleChars.setFontWeight(QFont::Bold);
    titleChars.setForeground(QColor(46, 134, 222));
    QTextBlockFormat titleBlock;
    titleBlock.setAlignment(Qt::AlignCenter);
    titleBlock.setBottomMargin(20);
    cursor.setBlockFormat(titleBlock);
    cursor.setCharFormat(titleChars);
    cursor.insertText(QStringLiteral("Codazzurra \u2013 Guida"));
    const GuideTopic start = GuideTexts::StartMenu();
    addTopic(cursor, start.title, GuideTexts::StartMenuParagraphs(), true);
    const GuideTopic card = GuideTexts::RecordCard();
    addTopic(cursor, card.title, GuideTexts::RecordCardParagraphs(), false);
    const GuideTopic exportTopic = GuideTexts::Export();
    addTopic(cursor, exportTopic.title, GuideTexts::ExportParagraphs(), false);
    const GuideTopic schedule = GuideTexts::Schedule();
    addTopic(cursor, schedule.title, GuideTexts::ScheduleParagraphs(), false);
    const GuideTopic backup = GuideTexts::Backup();
    addTopic(cursor, backup.title, GuideTexts::BackupParagraphs(), false);
    addTopic(cursor, GuideTexts::Import().title, GuideTexts::ImportParagraphs(), false);

    // Written beside the target and renamed over it once every byte is on disk, so that a failed build
    // never leaves a half-written guide behind, and a guide that could not be written fails the build.
    const QString target = QString::fromLocal8Bit(argv[1]);
    AtomicFile::Writer file(target);
    bool written = file.Open();
    if (written) {
        QPdfWriter writer(&file.Device());
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        writer.setTitle(QStringLiteral("Codazzurra - Guida"));
        writer.setCreator(QStringLiteral("Codazzurra"));
        document.print(&writer);
    }
    if (!written || !file.Commit()) {
        std::fprintf(stderr, "make_guide_pdf: cannot write %s: %s\n", qPrintable(target),
                     qPrintable(file.ErrorString()));
        return 1;
    }
    return 0;
}
