// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QSize>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

class QImage;
class QTextTable;

namespace DocumentServer {

// One document of the document server: its text, the word processor's selection on it, and the typing
// format new text takes (DocumentServer.h tells how the selection behaves). The server's objects edit it
// through these members; OdtWriter writes it.
struct TextDocument
{
    TextDocument();
    Q_DISABLE_COPY_MOVE(TextDocument)

    QTextDocument text;
    QTextCursor selection;
    QTextCharFormat typing;                              // the format new text at the insertion point takes
    QHash<const QTextTable*, QTextCharFormat> tableText; // the typing format when each table was made
    int pictures = 0;
    bool written = false;

    // Merges change into the text between start and end, paragraph marks excluded.
    void MergeText(int start, int end, const QTextCharFormat& change);

    // The paragraphs a range touches: a range that ends just after a paragraph mark stops at that mark.
    template <typename F> void ForEachParagraph(const QTextCursor& range, F&& apply)
    {
        const int start = range.selectionStart();
        int end = range.selectionEnd();
        if (end > start && text.findBlock(end).position() == end)
            --end;
        for (QTextBlock b = text.findBlock(start); b.isValid() && b.position() <= end; b = b.next())
            apply(b);
    }

    // Inserts value, as DocumentText makes it, at the end of range, which grows over it.
    void InsertAfter(QTextCursor& range, const QString& value, const QTextCharFormat& format);

    // The format text inserted at position takes: that of the text before it, or in an empty table cell
    // the format its table was made with (an empty cell's own format is the cell's, not a text's).
    QTextCharFormat FormatAt(int position);

    // Tables the range lies in or spans, in document order.
    QList<QTextTable*> TablesOf(const QTextCursor& range) const;

    // Replaces the text of where by a table of rows x columns across the page's text width, bordered, its
    // cells' paragraphs following the one it went into, and moves the selection into its first cell.
    QTextTable* AddTable(const QTextCursor& where, int rows, int columns);

    // Replaces the selected text by image, shown at shown pixels and embedded as JPEG.
    void InsertPicture(const QImage& image, QSize shown);

    // The text of the first table's first value cell (row 1, column 2), line breaks as blanks; empty when
    // there is no such cell. The document's file is named after it.
    QString FirstRowValue();
};

} // namespace DocumentServer
