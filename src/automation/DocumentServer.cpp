// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocumentServer.h"

#include "DocumentDesk.h"
#include "EAutomationError.h"
#include "ExportFolder.h"
#include "OdtWriter.h"
#include "ServerObject.h"
#include "TextDocument.h"
#include "picture/FitPicture.h"
#include "picture/JpegDecoder.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryFile>
#include <QTextTable>

using namespace Qt::Literals::StringLiterals;
using namespace Automation;

namespace DocumentServer {

namespace {

constexpr int MaxTableColumns = 63;
constexpr int MaxTableRows = 32767;

[[noreturn]] void fail(const QString& message)
{
    throw EAutomationError(message);
}

// ---- The documents.

using DocumentPtr = std::shared_ptr<TextDocument>;

struct WordState
{
    WordState(DocumentDesk& d, QString folder)
        : desk(d)
        , exportFolder(std::move(folder))
    {}

    DocumentDesk& desk;
    QString exportFolder;
    bool visible = false;
    std::vector<DocumentPtr> documents;
    DocumentPtr active;

    DocumentPtr requireActive() const
    {
        if (!active)
            fail(u"Comando non disponibile: nessun documento aperto."_s);
        return active;
    }
};
using WordPtr = std::shared_ptr<WordState>;

// What a Font or a ParagraphFormat belongs to: a range of its own, or the selection (no range).
struct Target
{
    DocumentPtr document;
    std::shared_ptr<QTextCursor> range;

    QTextCursor& cursor() const { return range ? *range : document->selection; }
    // True for the selection, and for a collapsed range at the insertion point: their font changes
    // decide how the text typed next looks.
    bool setsTyping() const
    {
        const QTextCursor& c = cursor();
        if (c.hasSelection())
            return false;
        return !range ||
               (!document->selection.hasSelection() && c.position() == document->selection.position());
    }
};

// ---- Writing.

// Writes the document into the export folder, named after its first table's value, and returns the path.
QString writeDocument(const WordState& word, TextDocument& d)
{
    const QString folder = ExportFolder::Ensure(word.exportFolder);
    QTemporaryFile file;
    ExportFolder::OpenTemporary(file, folder, u"odt"_s);
    OdtWriter::Write(d, file);
    return ExportFolder::Publish(file, folder, ExportFolder::SafeBaseName(d.FirstRowValue(), u"Scheda"_s),
                                 u"odt"_s);
}

// ---- The objects of the server.

class PlainObject final : public ServerObject
{
public:
    explicit PlainObject(QString type)
        : m_type(std::move(type))
    {}

protected:
    QString TypeName() const override { return m_type; }

private:
    QString m_type;
};

class FontObject final : public ServerObject
{
public:
    explicit FontObject(Target target)
        : m_target(std::move(target))
    {
        Define(u"Name", InvokeKind::PropertyPut, [this](const Arguments& a) {
            const QString family = BoundArguments(u"Name"_s, a, {u"RHS"}, 1).At(0).ToString();
            if (family.isEmpty())
                fail(u"Nome di carattere non valido."_s);
            QTextCharFormat f;
            f.setFontFamilies({family});
            f.setProperty(QTextFormat::OldFontFamily, family);
            apply(f);
            return Variant();
        });
        Define(u"Size", InvokeKind::PropertyPut, [this](const Arguments& a) {
            const int size = BoundArguments(u"Size"_s, a, {u"RHS"}, 1).At(0).ToInt();
            if (size < 1 || size > 1638)
                fail(u"Dimensione di carattere non valida: %1."_s.arg(size));
            QTextCharFormat f;
            f.setFontPointSize(size);
            apply(f);
            return Variant();
        });
        Define(u"Bold", InvokeKind::PropertyPut, [this](const Arguments& a) {
            const bool bold = BoundArguments(u"Bold"_s, a, {u"RHS"}, 1).At(0).ToBool();
            QTextCharFormat f;
            f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
            apply(f);
            return Variant();
        });
    }

protected:
    QString TypeName() const override { return u"Font"_s; }

private:
    void apply(const QTextCharFormat& change)
    {
        TextDocument& d = *m_target.document;
        const QTextCursor& c = m_target.cursor();
        if (c.hasSelection())
            d.MergeText(c.selectionStart(), c.selectionEnd(), change);
        else if (m_target.setsTyping())
            d.typing.merge(change);
    }

    Target m_target;
};

class ParagraphFormatObject final : public ServerObject
{
public:
    explicit ParagraphFormatObject(Target target)
        : m_target(std::move(target))
    {
        Define(u"Alignment", InvokeKind::PropertyPut, [this](const Arguments& a) {
            const int value = BoundArguments(u"Alignment"_s, a, {u"RHS"}, 1).At(0).ToInt();
            Qt::Alignment alignment;
            switch (value) {
            case 0:
                alignment = Qt::AlignLeft;
                break;
            case 1:
                alignment = Qt::AlignHCenter;
                break;
            case 2:
                alignment = Qt::AlignRight;
                break;
            case 3:
                alignment = Qt::AlignJustify;
                break;
            default:
                fail(u"Allineamento non valido: %1."_s.arg(value));
            }
            TextDocument& d = *m_target.document;
            d.ForEachParagraph(m_target.cursor(), [&](const QTextBlock& b) {
                QTextCursor c(b);
                QTextBlockFormat f = b.blockFormat();
                f.setAlignment(alignment);
                c.setBlockFormat(f);
            });
            return Variant();
        });
    }

protected:
    QString TypeName() const override { return u"ParagraphFormat"_s; }

private:
    Target m_target;
};

class RangeObject;

class CellObject final : public ServerObject
{
public:
    CellObject(DocumentPtr document, QPointer<QTextTable> table, int row, int column);

protected:
    QString TypeName() const override { return u"Cell"_s; }

private:
    DocumentPtr m_document;
    QPointer<QTextTable> m_table;
    int m_row;
    int m_column;
};

class TableObject final : public ServerObject
{
public:
    TableObject(DocumentPtr document, QTextTable* table)
        : m_document(std::move(document))
        , m_table(table)
    {
        Define(u"Cell", InvokeKind::Method, [this](const Arguments& a) {
            const BoundArguments args(u"Cell"_s, a, {u"Row", u"Column"}, 2);
            const int row = args.At(0).ToInt();
            const int column = args.At(1).ToInt();
            if (!m_table)
                fail(u"La tabella non esiste pi\u00f9."_s);
            if (row < 1 || row > m_table->rows() || column < 1 || column > m_table->columns())
                fail(
                    u"Il membro richiesto della raccolta non esiste: cella (%1, %2)."_s.arg(row).arg(column));
            return Variant::Object(std::make_shared<CellObject>(m_document, m_table, row, column));
        });
    }

protected:
    QString TypeName() const override { return u"Table"_s; }

private:
    DocumentPtr m_document;
    QPointer<QTextTable> m_table;
};

class RangeObject final : public ServerObject
{
public:
    RangeObject(DocumentPtr document, std::shared_ptr<QTextCursor> range);

    const DocumentPtr& document() const { return m_document; }
    const QTextCursor& range() const { return *m_range; }

protected:
    QString TypeName() const override { return u"Range"_s; }

private:
    DocumentPtr m_document;
    std::shared_ptr<QTextCursor> m_range;
};

CellObject::CellObject(DocumentPtr document, QPointer<QTextTable> table, int row, int column)
    : m_document(std::move(document))
    , m_table(std::move(table))
    , m_row(row)
    , m_column(column)
{
    Define(u"range", InvokeKind::PropertyGet, [this](const Arguments& a) {
        BoundArguments(u"Range"_s, a, {}, 0);
        if (!m_table)
            fail(u"La tabella non esiste pi\u00f9."_s);
        const QTextTableCell cell = m_table->cellAt(m_row - 1, m_column - 1);
        auto range = std::make_shared<QTextCursor>(&m_document->text);
        range->setPosition(cell.firstCursorPosition().position());
        range->setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
        return Variant::Object(std::make_shared<RangeObject>(m_document, range));
    });
}

class TablesObject final : public ServerObject
{
public:
    TablesObject(DocumentPtr document, std::shared_ptr<QTextCursor> range)
        : m_document(std::move(document))
        , m_range(std::move(range))
    {
        Define(u"Add", InvokeKind::Method, [this](const Arguments& a) {
            const BoundArguments args(
                u"Add"_s, a,
                {u"Range", u"NumRows", u"NumColumns", u"DefaultTableBehavior", u"AutoFitBehavior"}, 3);
            const DispatchPtr where = args.At(0).ToObject();
            const auto* at = dynamic_cast<const RangeObject*>(where.get());
            if (!at || at->document() != m_document)
                fail(u"Il parametro Range di Tables.Add non \u00e8 un intervallo di questo documento."_s);
            const int rows = args.At(1).ToInt();
            const int columns = args.At(2).ToInt();
            if (rows < 1 || rows > MaxTableRows || columns < 1 || columns > MaxTableColumns)
                fail(u"Dimensioni di tabella non valide: %1 righe, %2 colonne."_s.arg(rows).arg(columns));
            return Variant::Object(
                std::make_shared<TableObject>(m_document, m_document->AddTable(at->range(), rows, columns)));
        });
        Define(u"Item", InvokeKind::Method, [this](const Arguments& a) {
            const int index = BoundArguments(u"Item"_s, a, {u"Index"}, 1).At(0).ToInt();
            const QList<QTextTable*> tables = m_document->TablesOf(*m_range);
            if (index < 1 || index > tables.size())
                fail(u"Il membro richiesto della raccolta non esiste: tabella %1."_s.arg(index));
            return Variant::Object(std::make_shared<TableObject>(m_document, tables.at(index - 1)));
        });
    }

protected:
    QString TypeName() const override { return u"Tables"_s; }

private:
    DocumentPtr m_document;
    std::shared_ptr<QTextCursor> m_range;
};

RangeObject::RangeObject(DocumentPtr document, std::shared_ptr<QTextCursor> range)
    : m_document(std::move(document))
    , m_range(std::move(range))
{
    Define(u"Font", InvokeKind::PropertyGet, [this](const Arguments& a) {
        BoundArguments(u"Font"_s, a, {}, 0);
        return Variant::Object(std::make_shared<FontObject>(Target{m_document, m_range}));
    });
    Define(u"Tables", InvokeKind::PropertyGet, [this](const Arguments& a) {
        BoundArguments(u"Tables"_s, a, {}, 0);
        return Variant::Object(std::make_shared<TablesObject>(m_document, m_range));
    });
    Define(u"InsertAfter", InvokeKind::Method, [this](const Arguments& a) {
        const QString text = BoundArguments(u"InsertAfter"_s, a, {u"Text"}, 1).At(0).ToString();
        m_document->InsertAfter(*m_range, text, m_document->FormatAt(m_range->selectionEnd()));
        return Variant();
    });
}

class InlineShapesObject final : public ServerObject
{
public:
    explicit InlineShapesObject(DocumentPtr document)
        : m_document(std::move(document))
    {
        Define(u"AddPicture", InvokeKind::Method, [this](const Arguments& a) {
            const BoundArguments args(u"AddPicture"_s, a,
                                      {u"FileName", u"LinkToFile", u"SaveWithDocument", u"Range"}, 1);
            if (args.Has(1) && args.At(1).ToBool())
                fail(u"Le immagini collegate al file non sono supportate: l'immagine viene incorporata."_s);
            if (args.Has(3))
                fail(u"AddPicture inserisce l'immagine soltanto nella selezione."_s);
            addPicture(args.At(0).ToString());
            return Variant::Object(std::make_shared<PlainObject>(u"InlineShape"_s));
        });
    }

protected:
    QString TypeName() const override { return u"InlineShapes"_s; }

private:
    // The picture as the file's bytes show it (upright), no larger than the page allows, kept in enough
    // detail to print well, embedded as JPEG.
    void addPicture(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            fail(u"Impossibile aprire l'immagine \"%1\": %2."_s.arg(QDir::toNativeSeparators(path),
                                                                    file.errorString()));
        const QByteArray bytes = file.readAll();
        const QSize detailBox(int(PictureBox.width() * PictureDetail),
                              int(PictureBox.height() * PictureDetail));
        const JpegPicture picture = Jpeg::Decode(bytes, detailBox);
        if (!picture.ok())
            fail(u"Il file \"%1\" non contiene un'immagine leggibile: %2."_s.arg(
                QDir::toNativeSeparators(path), picture.error));
        const QSize shown = FitPicture(picture.size, PictureBox).size();
        const QSize kept = FitPicture(picture.size, detailBox).size();
        QImage image = picture.image;
        if (image.width() > kept.width() || image.height() > kept.height())
            image = image.scaled(kept, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (image.hasAlphaChannel())
            image = image.convertToFormat(QImage::Format_RGB32);

        m_document->InsertPicture(image, shown);
    }

    DocumentPtr m_document;
};

class SelectionObject final : public ServerObject
{
public:
    explicit SelectionObject(DocumentPtr document)
        : m_document(std::move(document))
    {
        Define(u"ParagraphFormat", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"ParagraphFormat"_s, a, {}, 0);
            return Variant::Object(std::make_shared<ParagraphFormatObject>(Target{m_document, nullptr}));
        });
        Define(u"Font", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"Font"_s, a, {}, 0);
            return Variant::Object(std::make_shared<FontObject>(Target{m_document, nullptr}));
        });
        Define(u"InsertAfter", InvokeKind::Method, [this](const Arguments& a) {
            const QString text = BoundArguments(u"InsertAfter"_s, a, {u"Text"}, 1).At(0).ToString();
            m_document->InsertAfter(m_document->selection, text, m_document->typing);
            return Variant();
        });
        Define(u"InsertParagraphAfter", InvokeKind::Method, [this](const Arguments& a) {
            BoundArguments(u"InsertParagraphAfter"_s, a, {}, 0);
            TextDocument& d = *m_document;
            const int start = d.selection.selectionStart();
            QTextCursor c(&d.text);
            c.setPosition(d.selection.selectionEnd());
            c.insertBlock(c.blockFormat(), d.typing);
            d.selection.setPosition(start);
            d.selection.setPosition(c.position(), QTextCursor::KeepAnchor);
            return Variant();
        });
        Define(u"TypeParagraph", InvokeKind::Method, [this](const Arguments& a) {
            BoundArguments(u"TypeParagraph"_s, a, {}, 0);
            TextDocument& d = *m_document;
            // Typing replaces the selected text.
            if (d.selection.hasSelection())
                d.selection.removeSelectedText();
            d.selection.insertBlock(d.selection.blockFormat(), d.typing);
            return Variant();
        });
        Define(u"EndOf", InvokeKind::Method, [this](const Arguments& a) {
            BoundArguments(u"EndOf"_s, a, {}, 0);
            QTextCursor& s = m_document->selection;
            s.setPosition(s.selectionEnd());
            return Variant::I4(0);
        });
        Define(u"range", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"Range"_s, a, {}, 0);
            return Variant::Object(std::make_shared<RangeObject>(
                m_document, std::make_shared<QTextCursor>(m_document->selection)));
        });
        Define(u"InlineShapes", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"InlineShapes"_s, a, {}, 0);
            return Variant::Object(std::make_shared<InlineShapesObject>(m_document));
        });
    }

protected:
    QString TypeName() const override { return u"Selection"_s; }

private:
    DocumentPtr m_document;
};

class WindowObject final : public ServerObject
{
public:
    explicit WindowObject(DocumentPtr document)
        : m_document(std::move(document))
    {
        Define(u"Selection", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"Selection"_s, a, {}, 0);
            return Variant::Object(std::make_shared<SelectionObject>(m_document));
        });
    }

protected:
    QString TypeName() const override { return u"Window"_s; }

private:
    DocumentPtr m_document;
};

class DocumentsObject final : public ServerObject
{
public:
    explicit DocumentsObject(WordPtr word)
        : m_word(std::move(word))
    {
        Define(u"Add", InvokeKind::Method, [this](const Arguments& a) {
            BoundArguments(u"Add"_s, a, {u"Template", u"NewTemplate", u"DocumentType", u"Visible"}, 0);
            auto document = std::make_shared<TextDocument>();
            m_word->documents.push_back(document);
            m_word->active = document;
            return Variant::Object(std::make_shared<PlainObject>(u"Document"_s));
        });
    }

protected:
    QString TypeName() const override { return u"Documents"_s; }

private:
    WordPtr m_word;
};

class ApplicationObject final : public ServerObject
{
public:
    explicit ApplicationObject(WordPtr word)
        : m_word(std::move(word))
    {
        Define(u"Documents", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"Documents"_s, a, {}, 0);
            return Variant::Object(std::make_shared<DocumentsObject>(m_word));
        });
        Define(u"ActiveWindow", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"ActiveWindow"_s, a, {}, 0);
            return Variant::Object(std::make_shared<WindowObject>(m_word->requireActive()));
        });
        Define(u"Selection", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"Selection"_s, a, {}, 0);
            return Variant::Object(std::make_shared<SelectionObject>(m_word->requireActive()));
        });
        Define(u"Visible", InvokeKind::PropertyPut, [this](const Arguments& a) {
            const bool visible = BoundArguments(u"Visible"_s, a, {u"RHS"}, 1).At(0).ToBool();
            if (visible)
                show();
            m_word->visible = visible;
            return Variant();
        });
    }

protected:
    QString TypeName() const override { return u"Application"_s; }

private:
    // Becoming visible hands the active document to the user.
    void show()
    {
        const DocumentPtr& d = m_word->active;
        if (!d || d->written)
            return;
        const QString path = writeDocument(*m_word, *d);
        d->written = true;
        if (!m_word->desk.OpenFile(path))
            fail(u"Impossibile aprire il documento \"%1\"."_s.arg(QDir::toNativeSeparators(path)));
    }

    WordPtr m_word;
};

} // namespace

QString DocumentText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            out += QChar::LineSeparator;
        } else if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            out += QChar::LineSeparator;
        } else if ((c.unicode() < 32 && c != u'\t') || c.unicode() == 0x7f ||
                   c == QChar::ObjectReplacementCharacter) {
            continue;
        } else {
            out += c;
        }
    }
    return out;
}

DispatchPtr Create(DocumentDesk& desk, const QString& exportFolder)
{
    if (!desk.HasDefaultHandler(MimeType))
        throw ECreateServerError(u"Nessun programma del desktop apre i documenti di testo (.odt)."_s);
    return std::make_shared<ApplicationObject>(std::make_shared<WordState>(desk, exportFolder));
}

} // namespace DocumentServer
