// SPDX-License-Identifier: GPL-3.0-or-later
#include "SpreadsheetServer.h"

#include "DocumentDesk.h"
#include "EAutomationError.h"
#include "ExportFolder.h"
#include "ServerObject.h"
#include "Workbook.h"
#include "XlsxWriter.h"

#include <QDir>
#include <QTemporaryFile>
#include <optional>

using namespace Qt::Literals::StringLiterals;
using namespace Automation;

namespace SpreadsheetServer {

namespace {

constexpr qsizetype MaxCellText = 32767;
constexpr qint32 OneWorksheetTemplate = -4167; // xlWBATWorksheet

[[noreturn]] void fail(const QString& message)
{
    throw EAutomationError(message);
}

// ---- The application and its workbooks.

struct Application
{
    Application(DocumentDesk& d, QString folder)
        : desk(d)
        , exportFolder(std::move(folder))
    {}

    DocumentDesk& desk;
    QString exportFolder;
    bool visible = false;
    std::vector<std::shared_ptr<Workbook>> workbooks;
    std::shared_ptr<Sheet> activeSheet;
    std::optional<Area> selection;

    std::shared_ptr<Sheet> requireActiveSheet() const
    {
        if (!activeSheet)
            fail(u"Nessun foglio di lavoro attivo."_s);
        return activeSheet;
    }
};
using ApplicationPtr = std::shared_ptr<Application>;

// ---- References: "A1", "$Z$12", "A:Z", "B".

int columnNumber(QStringView letters)
{
    if (letters.isEmpty() || letters.size() > 3)
        return 0;
    int n = 0;
    for (const QChar c : letters) {
        const char16_t u = QChar::toUpper(c.unicode());
        if (u < u'A' || u > u'Z')
            return 0;
        n = n * 26 + (u - u'A' + 1);
    }
    return n <= MaxColumns ? n : 0;
}

// A single cell reference; false when text is not one.
bool parseCell(QStringView text, int& row, int& column)
{
    QString plain = text.toString().remove(u'$');
    qsizetype split = 0;
    while (split < plain.size() && plain.at(split).isLetter())
        ++split;
    column = columnNumber(QStringView(plain).left(split));
    bool ok = false;
    row = QStringView(plain).mid(split).toInt(&ok);
    return column > 0 && ok && row >= 1 && row <= MaxRows && !plain.mid(split).startsWith(u'+');
}

// A reference of one text: a cell, a block "A1:Z12" or columns "A:Z" / "B".
Area parseArea(const std::shared_ptr<Sheet>& sheet, const QString& text)
{
    const QStringList parts = text.split(u':');
    Area area{sheet};
    if (parts.size() <= 2) {
        int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
        if (parseCell(parts.first(), r1, c1) && (parts.size() == 1 || parseCell(parts.last(), r2, c2))) {
            if (parts.size() == 1) {
                r2 = r1;
                c2 = c1;
            }
            area.top = qMin(r1, r2);
            area.bottom = qMax(r1, r2);
            area.left = qMin(c1, c2);
            area.right = qMax(c1, c2);
            return area;
        }
        const int a = columnNumber(QString(parts.first()).remove(u'$'));
        const int b = columnNumber(QString(parts.last()).remove(u'$'));
        if (a > 0 && b > 0) {
            area.left = qMin(a, b);
            area.right = qMax(a, b);
            area.top = 1;
            area.bottom = MaxRows;
            area.wholeColumns = true;
            return area;
        }
    }
    fail(u"Riferimento non valido: \"%1\"."_s.arg(text));
}

// Two references joined into the smallest block holding both, as Range(cell1, cell2) does.
Area spanOf(const Area& a, const Area& b)
{
    Area area = a;
    area.top = qMin(a.top, b.top);
    area.left = qMin(a.left, b.left);
    area.bottom = qMax(a.bottom, b.bottom);
    area.right = qMax(a.right, b.right);
    area.wholeColumns = a.wholeColumns || b.wholeColumns;
    return area;
}

void requireCells(const Area& area, const QString& member)
{
    if (area.wholeColumns)
        fail(u"Impossibile impostare la propriet\u00e0 %1 su colonne intere."_s.arg(member));
}

// Writes a workbook into the export folder and returns the file's path.
QString writeWorkbook(const Application& app, const Workbook& book)
{
    const QString folder = ExportFolder::Ensure(app.exportFolder);
    QTemporaryFile file;
    ExportFolder::OpenTemporary(file, folder, u"xlsx"_s);
    file.close(); // the library writes the file by its name
    XlsxWriter::Write(book, app.activeSheet, app.selection, file.fileName(), folder);
    const QString baseName = book.sheets.empty() ? QString() : book.sheets.front()->name;
    return ExportFolder::Publish(file, folder, ExportFolder::SafeBaseName(baseName, u"Cartel1"_s), u"xlsx"_s);
}

// ---- The objects of the server.

class FontObject final : public ServerObject
{
public:
    FontObject(ApplicationPtr app, Area area)
        : m_app(std::move(app))
        , m_area(std::move(area))
    {
        Define(u"Bold", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"Bold"_s, a, {}, 0);
            return Variant::Bool(m_area.sheet->IsBold(m_area.top, m_area.left));
        });
        Define(u"Bold", InvokeKind::PropertyPut, [this](const Arguments& a) {
            const bool bold = BoundArguments(u"Bold"_s, a, {u"RHS"}, 1).At(0).ToBool();
            requireCells(m_area, u"Bold"_s);
            m_area.sheet->bold.Set(m_area.Cells(), bold);
            return Variant();
        });
    }

protected:
    QString TypeName() const override { return u"Font"_s; }

private:
    ApplicationPtr m_app;
    Area m_area;
};

class RangeObject final : public ServerObject
{
public:
    RangeObject(ApplicationPtr app, Area area)
        : m_app(std::move(app))
        , m_area(std::move(area))
    {
        Define(u"Select", InvokeKind::Method, [this](const Arguments& a) {
            BoundArguments(u"Select"_s, a, {u"Replace"}, 0);
            if (m_area.sheet != m_app->activeSheet)
                fail(u"Metodo Select della classe Range non riuscito: il foglio non \u00e8 attivo."_s);
            m_app->selection = m_area;
            return Variant::Bool(true);
        });
        Define(u"NumberFormat", InvokeKind::PropertyPut, [this](const Arguments& a) {
            const QString format = BoundArguments(u"NumberFormat"_s, a, {u"RHS"}, 1).At(0).ToString();
            requireCells(m_area, u"NumberFormat"_s);
            const bool text = format == u"@"_s;
            if (!text && format.compare(u"General"_s, Qt::CaseInsensitive) != 0 &&
                format.compare(u"Generale"_s, Qt::CaseInsensitive) != 0)
                fail(u"Formato numerico non supportato: \"%1\"."_s.arg(format));
            m_area.sheet->textFormat.Set(m_area.Cells(), text);
            return Variant();
        });
        Define(u"Value", InvokeKind::PropertyPut, [this](const Arguments& a) {
            putValue(BoundArguments(u"Value"_s, a, {u"RHS"}, 1).At(0));
            return Variant();
        });
        Define(u"Value", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"Value"_s, a, {}, 0);
            const QString text = DisplayText(m_area.sheet->Value(m_area.top, m_area.left));
            return text.isEmpty() ? Variant() : Variant::Str(text);
        });
        Define(u"Font", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"Font"_s, a, {}, 0);
            return Variant::Object(std::make_shared<FontObject>(m_app, m_area));
        });
        Define(u"EntireColumn", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"EntireColumn"_s, a, {}, 0);
            Area columns = m_area;
            columns.top = 1;
            columns.bottom = MaxRows;
            columns.wholeColumns = true;
            return Variant::Object(std::make_shared<RangeObject>(m_app, columns));
        });
        Define(u"AutoFit", InvokeKind::Method, [this](const Arguments& a) {
            BoundArguments(u"AutoFit"_s, a, {}, 0);
            if (!m_area.wholeColumns)
                fail(u"Metodo AutoFit della classe Range non riuscito: servono colonne intere."_s);
            for (int c = m_area.left; c <= m_area.right; ++c)
                m_area.sheet->autoFitColumns.insert(c);
            return Variant::Bool(true);
        });
    }

protected:
    QString TypeName() const override { return u"Range"_s; }

private:
    // Refuses what no cell can hold.
    static void checkCellValue(const Variant& value)
    {
        switch (value.type()) {
        case Variant::Type::Empty:
        case Variant::Type::Int16:
        case Variant::Type::Int32:
        case Variant::Type::Bool:
            return;
        case Variant::Type::String: {
            const qsizetype length = value.ToString().size();
            if (length > MaxCellText)
                fail(u"Testo troppo lungo per una cella: %1 caratteri (al massimo %2)."_s.arg(length).arg(
                    MaxCellText));
            return;
        }
        case Variant::Type::Dispatch:
        case Variant::Type::Array:
            break;
        }
        fail(u"Tipo non corrispondente: una cella non pu\u00f2 contenere %1."_s.arg(value.TypeName()));
    }

    void putValue(const Variant& value)
    {
        requireCells(m_area, u"Value"_s);
        Values put;
        if (value.type() == Variant::Type::Array) {
            // An array fills the block from its first element. The sheet keeps a copy of the array that
            // shares the caller's elements instead of copying them: a change the caller makes to its own
            // array afterwards separates the two and does not reach the sheet.
            const VariantArray& array = *value.ToArray();
            const int rows = qMin(array.Rows(), m_area.RowCount());
            const int columns = qMin(array.Columns(), m_area.ColumnCount());
            for (int j = 1; j <= columns; ++j) {
                for (int i = 1; i <= rows; ++i)
                    checkCellValue(array.At(i, j));
            }
            put.array = std::make_shared<const VariantArray>(array);
        } else {
            checkCellValue(value);
            put.value = value;
        }
        m_area.sheet->values.Set(m_area.Cells(), std::move(put));
    }

    ApplicationPtr m_app;
    Area m_area;
};

class WorksheetObject final : public ServerObject
{
public:
    WorksheetObject(ApplicationPtr app, std::shared_ptr<Sheet> sheet)
        : m_app(std::move(app))
        , m_sheet(std::move(sheet))
    {
        Define(u"Name", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"Name"_s, a, {}, 0);
            return Variant::Str(m_sheet->name);
        });
        Define(u"Name", InvokeKind::PropertyPut, [this](const Arguments& a) {
            const QString name = BoundArguments(u"Name"_s, a, {u"RHS"}, 1).At(0).ToString();
            XlsxWriter::ValidateSheetName(name);
            m_sheet->name = name;
            return Variant();
        });
        Define(u"Range", InvokeKind::PropertyGet, [this](const Arguments& a) {
            const BoundArguments args(u"Range"_s, a, {u"Cell1", u"Cell2"}, 1);
            Area area = parseArea(m_sheet, args.At(0).ToString());
            if (args.Has(1))
                area = spanOf(area, parseArea(m_sheet, args.At(1).ToString()));
            return Variant::Object(std::make_shared<RangeObject>(m_app, area));
        });
        Define(u"Cells", InvokeKind::PropertyGet, [this](const Arguments& a) {
            const BoundArguments args(u"Cells"_s, a, {u"RowIndex", u"ColumnIndex"}, 2);
            return Variant::Object(std::make_shared<RangeObject>(
                m_app, cellArea(m_sheet, args.At(0).ToInt(), args.At(1).ToInt())));
        });
    }

    static Area cellArea(const std::shared_ptr<Sheet>& sheet, int row, int column)
    {
        if (row < 1 || row > MaxRows || column < 1 || column > MaxColumns)
            fail(u"Cella inesistente: riga %1, colonna %2."_s.arg(row).arg(column));
        return Area{sheet, row, column, row, column, false};
    }

protected:
    QString TypeName() const override { return u"Worksheet"_s; }

private:
    ApplicationPtr m_app;
    std::shared_ptr<Sheet> m_sheet;
};

class WorkbookObject final : public ServerObject
{
public:
    WorkbookObject(ApplicationPtr app, std::shared_ptr<Workbook> book)
        : m_app(std::move(app))
        , m_book(std::move(book))
    {
        Define(u"WorkSheets", InvokeKind::PropertyGet, [this](const Arguments& a) {
            const int index = BoundArguments(u"WorkSheets"_s, a, {u"Index"}, 1).At(0).ToInt();
            if (index < 1 || std::size_t(index) > m_book->sheets.size())
                fail(u"Indice non incluso nell'intervallo: foglio %1."_s.arg(index));
            return Variant::Object(
                std::make_shared<WorksheetObject>(m_app, m_book->sheets[std::size_t(index - 1)]));
        });
    }

protected:
    QString TypeName() const override { return u"Workbook"_s; }

private:
    ApplicationPtr m_app;
    std::shared_ptr<Workbook> m_book;
};

DispatchPtr workbookAt(const ApplicationPtr& app, int index)
{
    if (index < 1 || std::size_t(index) > app->workbooks.size())
        fail(u"Indice non incluso nell'intervallo: cartella di lavoro %1."_s.arg(index));
    return std::make_shared<WorkbookObject>(app, app->workbooks[std::size_t(index - 1)]);
}

class WorkbooksObject final : public ServerObject
{
public:
    explicit WorkbooksObject(ApplicationPtr app)
        : m_app(std::move(app))
    {
        Define(u"Add", InvokeKind::Method, [this](const Arguments& a) {
            const BoundArguments args(u"Add"_s, a, {u"Template"}, 0);
            if (args.Has(0) && args.At(0).ToInt() != OneWorksheetTemplate)
                fail(u"Modello di cartella di lavoro non supportato: %1."_s.arg(args.At(0).ToString()));
            auto book = std::make_shared<Workbook>();
            auto sheet = std::make_shared<Sheet>();
            sheet->name = u"Foglio1"_s;
            book->sheets.push_back(sheet);
            m_app->workbooks.push_back(book);
            m_app->activeSheet = sheet;
            m_app->selection = Area{sheet};
            return Variant::Object(std::make_shared<WorkbookObject>(m_app, book));
        });
        Define(u"Item", InvokeKind::Method, [this](const Arguments& a) {
            return Variant::Object(
                workbookAt(m_app, BoundArguments(u"Item"_s, a, {u"Index"}, 1).At(0).ToInt()));
        });
        Define(u"Count", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"Count"_s, a, {}, 0);
            return Variant::I4(qint32(m_app->workbooks.size()));
        });
    }

protected:
    QString TypeName() const override { return u"Workbooks"_s; }

private:
    ApplicationPtr m_app;
};

class ApplicationObject final : public ServerObject
{
public:
    explicit ApplicationObject(ApplicationPtr app)
        : m_app(std::move(app))
    {
        Define(u"Visible", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"Visible"_s, a, {}, 0);
            return Variant::Bool(m_app->visible);
        });
        Define(u"Visible", InvokeKind::PropertyPut, [this](const Arguments& a) {
            const bool visible = BoundArguments(u"Visible"_s, a, {u"RHS"}, 1).At(0).ToBool();
            if (visible)
                show();
            m_app->visible = visible;
            return Variant();
        });
        Define(u"Workbooks", InvokeKind::PropertyGet, [this](const Arguments& a) {
            const BoundArguments args(u"Workbooks"_s, a, {u"Index"}, 0);
            if (args.Has(0))
                return Variant::Object(workbookAt(m_app, args.At(0).ToInt()));
            return Variant::Object(std::make_shared<WorkbooksObject>(m_app));
        });
        Define(u"Application", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"Application"_s, a, {}, 0);
            return Variant::Object(std::make_shared<ApplicationObject>(m_app));
        });
        Define(u"Selection", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"Selection"_s, a, {}, 0);
            if (!m_app->selection)
                fail(u"Nessuna selezione: non \u00e8 aperta alcuna cartella di lavoro."_s);
            return Variant::Object(std::make_shared<RangeObject>(m_app, *m_app->selection));
        });
        Define(u"Cells", InvokeKind::PropertyGet, [this](const Arguments& a) {
            const BoundArguments args(u"Cells"_s, a, {u"RowIndex", u"ColumnIndex"}, 2);
            return Variant::Object(std::make_shared<RangeObject>(
                m_app, WorksheetObject::cellArea(m_app->requireActiveSheet(), args.At(0).ToInt(),
                                                 args.At(1).ToInt())));
        });
        Define(u"Columns", InvokeKind::PropertyGet, [this](const Arguments& a) {
            const Variant& index = BoundArguments(u"Columns"_s, a, {u"Index"}, 1).At(0);
            const auto sheet = m_app->requireActiveSheet();
            Area area{sheet};
            if (index.type() == Variant::Type::String) {
                area = parseArea(sheet, index.ToString());
                if (!area.wholeColumns)
                    fail(u"Riferimento di colonne non valido: \"%1\"."_s.arg(index.ToString()));
            } else {
                const int column = index.ToInt();
                area = WorksheetObject::cellArea(sheet, 1, column);
                area.bottom = MaxRows;
                area.wholeColumns = true;
            }
            return Variant::Object(std::make_shared<RangeObject>(m_app, area));
        });
    }

protected:
    QString TypeName() const override { return u"Application"_s; }

private:
    // Becoming visible hands every workbook not yet shown to the user.
    void show()
    {
        for (const auto& book : m_app->workbooks) {
            if (book->written)
                continue;
            const QString path = writeWorkbook(*m_app, *book);
            book->written = true;
            if (!m_app->desk.OpenFile(path))
                fail(u"Impossibile aprire la cartella di lavoro \"%1\"."_s.arg(
                    QDir::toNativeSeparators(path)));
        }
    }

    ApplicationPtr m_app;
};

} // namespace

double AutoFitWidth(qsizetype longestText)
{
    return qMin(255.0, double(longestText) * 1.1 + 1.0);
}

DispatchPtr Create(DocumentDesk& desk, const QString& exportFolder)
{
    if (!desk.HasDefaultHandler(MimeType))
        throw ECreateServerError(u"Nessun programma del desktop apre le cartelle di lavoro (.xlsx)."_s);
    return std::make_shared<ApplicationObject>(std::make_shared<Application>(desk, exportFolder));
}

} // namespace SpreadsheetServer
