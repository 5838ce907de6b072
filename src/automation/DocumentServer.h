// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Dispatch.h"

#include <QSize>

class DocumentDesk;

// What takes the word processor's place on this platform, under the ProgID "Word.Application". It keeps
// one QTextDocument per new document and plays the word processor's selection on it with a QTextCursor,
// answering the members the card export uses: Documents.Add, ActiveWindow, Selection, ParagraphFormat and
// Alignment, InsertAfter, InsertParagraphAfter, TypeParagraph, Font with Name, Size and Bold, EndOf,
// range, InlineShapes.AddPicture, Tables.Add, Tables.Item, Cell, Visible. Every other member fails with
// EAutomationError. When made visible it writes the active document as OpenDocument text into the export
// folder ("Esportazioni"), named after the value in the first table's first row ("Rex.odt",
// "Rex (2).odt"; "Scheda.odt" when empty), and opens it with the desktop's default program.
//
// The model of the selection: new text takes the typing format, which the selection's font changes set
// when the selection is collapsed (and so does a collapsed range at the insertion point); font changes on
// a non-empty selection or range change its text only. Line breaks inside inserted text (CR LF, CR, LF)
// become line breaks inside the paragraph, so a table cell never splits.
namespace DocumentServer {

inline constexpr QLatin1StringView ProgId{"Word.Application"};
inline constexpr QLatin1StringView MimeType{"application/vnd.oasis.opendocument.text"};

// Where a picture may spread, in pixels at 96 per inch: the text width of an A4 page with 2 cm margins
// (170 mm), and a height that leaves the title room on the first page (200 mm).
inline constexpr QSize PictureBox{642, 756};
// Pixels kept per shown pixel of an embedded picture: 300 per inch when printed.
inline constexpr double PictureDetail = 300.0 / 96.0;

// The application object of a new server. Raises ECreateServerError when the desktop has no program that
// opens OpenDocument text.
Automation::DispatchPtr Create(DocumentDesk& desk, const QString& exportFolder);

// Text as it goes into the document: CR LF, CR, LF and the paragraph separator become U+2028 (a line
// break inside the paragraph); other control characters but the tab are dropped.
QString DocumentText(const QString& text);

} // namespace DocumentServer
