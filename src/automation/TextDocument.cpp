// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextDocument.h"

#include "DocumentServer.h"

#include <QImage>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace DocumentServer {

namespace {

// Table geometry in points, which is how the OpenDocument writer reads fixed lengths: the A4 text width,
// labels in the first 6 cm.
constexpr double TableWidthPt = 481.9;
constexpr double LabelColumnPt = 170.1;
// Line height of the table's paragraphs for their font size (Arial's own spacing).
constexpr double LineSpacing = 1.15;

QTextCharFormat fontFormat(const QString& family, double pointSize, bool bold)
{
    QTextCharFormat f;
    f.setFontFamilies({family});
    // The OpenDocument writer reads the family from this property alone.
    f.setProperty(QTextFormat::OldFontFamily, family);
    f.setFontPointSize(pointSize);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    return f;
}

} // namespace

TextDocument::TextDocument()
    : selection(&text)
    , typing(fontFormat(u"Times New Roman"_s, 12, false))
{
    text.setDefaultFont(QFont(u"Times New Roman"_s, 12));
    selection.setCharFormat(typing);
}

void TextDocument::MergeText(int start, int end, const QTextCharFormat& change)
{
    for (QTextBlock b = text.findBlock(start); b.isValid() && b.position() < end; b = b.next()) {
        const int s = qMax(start, b.position());
        const int e = qMin(end, b.position() + b.length() - 1);
        if (e <= s)
            continue;
        QTextCursor c(&text);
        c.setPosition(s);
        c.setPosition(e, QTextCursor::KeepAnchor);
        c.mergeCharFormat(change);
    }
}

void TextDocument::InsertAfter(QTextCursor& range, const QString& value, const QTextCharFormat& format)
{
    const QString clean = DocumentText(value);
    if (clean.isEmpty())
        return;
    const int start = range.selectionStart();
    QTextCursor c(&text);
    c.setPosition(range.selectionEnd());
    c.insertText(clean, format);
    range.setPosition(start);
    range.setPosition(c.position(), QTextCursor::KeepAnchor);
}

QTextCharFormat TextDocument::FormatAt(int position)
{
    QTextCursor c(&text);
    c.setPosition(position);
    if (QTextTable* table = c.currentTable(); table && c.atBlockStart())
        return tableText.value(table, typing);
    return c.charFormat();
}

QList<QTextTable*> TextDocument::TablesOf(const QTextCursor& range) const
{
    QList<QTextTable*> found;
    const int start = range.selectionStart();
    const int end = range.selectionEnd();
    std::function<void(QTextFrame*)> walk = [&](QTextFrame* frame) {
        for (QTextFrame* child : frame->childFrames()) {
            if (auto* table = qobject_cast<QTextTable*>(child)) {
                if (table->firstPosition() <= end && start <= table->lastPosition())
                    found.append(table);
            }
            walk(child);
        }
    };
    walk(text.rootFrame());
    return found;
}

QTextTable* TextDocument::AddTable(const QTextCursor& where, int rows, int columns)
{
    QTextCursor c(where);
    if (c.hasSelection())
        c.removeSelectedText();
    const QTextBlockFormat paragraph = c.blockFormat();
    QTextTableFormat format;
    format.setWidth(QTextLength(QTextLength::FixedLength, TableWidthPt));
    QList<QTextLength> widths;
    for (int i = 0; i < columns; ++i) {
        const double w =
            columns == 2 ? (i == 0 ? LabelColumnPt : TableWidthPt - LabelColumnPt) : TableWidthPt / columns;
        widths.append(QTextLength(QTextLength::FixedLength, w));
    }
    format.setColumnWidthConstraints(widths);
    format.setBorder(1);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderBrush(QBrush(Qt::black));
    format.setBorderCollapse(true);
    format.setCellPadding(4);
    format.setCellSpacing(0);
    QTextTable* table = c.insertTable(rows, columns, format);
    // The cells' paragraphs follow the paragraph the table went into, with a line height fixed by the
    // typing format's size so that empty cells are as tall as filled ones; their text takes the typing
    // format. (The block character format of a cell's first paragraph is the cell's own format: changing
    // it would lose the borders.)
    QTextBlockFormat cellParagraph = paragraph;
    const double size = typing.hasProperty(QTextFormat::FontPointSize) ? typing.fontPointSize() : 12;
    cellParagraph.setLineHeight(size * LineSpacing * 96 / 72, QTextBlockFormat::FixedHeight);
    for (int r = 0; r < rows; ++r) {
        for (int col = 0; col < columns; ++col)
            table->cellAt(r, col).firstCursorPosition().setBlockFormat(cellParagraph);
    }
    tableText.insert(table, typing);
    // The selection moves into the first cell, so the new table is the first of the selection's range.
    selection = table->cellAt(0, 0).firstCursorPosition();
    return table;
}

void TextDocument::InsertPicture(const QImage& image, QSize shown)
{
    const QString name = u"codazzurra-picture-%1.jpg"_s.arg(++pictures);
    text.addResource(QTextDocument::ImageResource, QUrl(name), QVariant(image));
    QTextImageFormat format;
    format.merge(typing);
    format.setName(name);
    format.setWidth(shown.width());
    format.setHeight(shown.height());
    format.setQuality(90); // the writer keeps the picture as JPEG rather than PNG
    if (selection.hasSelection())
        selection.removeSelectedText();
    selection.insertImage(format);
}

QString TextDocument::FirstRowValue()
{
    QTextCursor all(&text);
    all.select(QTextCursor::Document);
    const QList<QTextTable*> tables = TablesOf(all);
    if (tables.isEmpty() || tables.first()->columns() < 2)
        return {};
    const QTextTableCell cell = tables.first()->cellAt(0, 1);
    QTextCursor c(&text);
    c.setPosition(cell.firstCursorPosition().position());
    c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return c.selectedText().replace(QChar::LineSeparator, u' ').replace(QChar::ParagraphSeparator, u' ');
}

} // namespace DocumentServer
