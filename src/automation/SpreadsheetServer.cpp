// SPDX-License-Identifier: GPL-3.0-or-later
#include "SpreadsheetServer.h"

#include "DocumentDesk.h"
#include "EAutomationError.h"
#include "ExportFolder.h"
#include "ServerObject.h"
#include "VariantArray.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <vector>
#include <xlsxwriter.h>

using namespace Qt::Literals::StringLiterals;
using namespace Automation;

namespace SpreadsheetServer {

namespace {

constexpr int MaxRows = 1048576;
constexpr int MaxColumns = 16384;
constexpr qsizetype MaxCellText = 32767;
constexpr qint32 OneWorksheetTemplate = -4167; // xlWBATWorksheet

[[noreturn]] void fail(const QString& message)
{
    throw EAutomationError(message);
}

// ---- The workbook as the calls build it.

// A block of cells: rows top to bottom, columns left to right, all counted from 1.
struct Block
{
    int top = 1;
    int left = 1;
    int bottom = 1;
    int right = 1;

    bool contains(int row, int column) const
    {
        return row >= top && row <= bottom && column >= left && column <= right;
    }
    bool covers(const Block& b) const
    {
        return b.top >= top && b.bottom <= bottom && b.left >= left && b.right <= right;
    }
};

// One property of a sheet's cells, as the calls set it block by block: a later setting hides an earlier
// one where they overlap. Each setting is kept whole, as the call handed it over (an array of values stays
// one array, a format over a block one entry), so the sheet costs what its calls passed, not a copy per
// cell. Single cells are kept by position, so that a client setting cells one by one pays a lookup per
// cell rather than a scan of every earlier call.
template <typename T> class Layer
{
public:
    struct Found
    {
        const T* value = nullptr; // nullptr when nothing was set on the cell
        int top = 0;              // the first cell of the block it was set on
        int left = 0;
    };

    void set(const Block& block, T value)
    {
        std::erase_if(m_blocks, [&](const Setting& s) { return block.covers(s.block); });
        for (auto it = m_cells.lower_bound({block.top, block.left});
             it != m_cells.end() && it->first.first <= block.bottom;) {
            if (block.contains(it->first.first, it->first.second))
                it = m_cells.erase(it);
            else
                ++it;
        }
        if (block.top == block.bottom && block.left == block.right)
            m_cells.insert_or_assign({block.top, block.left}, std::move(value));
        else
            m_blocks.push_back({block, std::move(value)});
    }

    Found find(int row, int column) const
    {
        if (!m_cells.empty()) {
            const auto it = m_cells.find({row, column});
            if (it != m_cells.end())
                return {&it->second, row, column};
        }
        for (auto s = m_blocks.rbegin(); s != m_blocks.rend(); ++s) {
            if (s->block.contains(row, column))
                return {&s->value, s->block.top, s->block.left};
        }
        return {};
    }

    // Widens first..last to the rows anything was set on.
    void widenRows(int& first, int& last) const
    {
        for (const Setting& s : m_blocks) {
            first = qMin(first, s.block.top);
            last = qMax(last, s.block.bottom);
        }
        if (!m_cells.empty()) {
            first = qMin(first, m_cells.begin()->first.first);
            last = qMax(last, m_cells.rbegin()->first.first);
        }
    }
    // Widens first..last to the columns of row anything was set on.
    void widenColumns(int row, int& first, int& last) const
    {
        for (const Setting& s : m_blocks) {
            if (row >= s.block.top && row <= s.block.bottom) {
                first = qMin(first, s.block.left);
                last = qMax(last, s.block.right);
            }
        }
        for (auto it = m_cells.lower_bound({row, 0}); it != m_cells.end() && it->first.first == row; ++it) {
            first = qMin(first, it->first.second);
            last = qMax(last, it->first.second);
        }
    }

private:
    struct Setting
    {
        Block block;
        T value;
    };
    std::vector<Setting> m_blocks;            // in call order
    std::map<std::pair<int, int>, T> m_cells; // by row and column
};

// What one value call put into a block: an array laid over it from its first cell, or one value for
// every cell.
struct Values
{
    std::shared_ptr<const VariantArray> array;
    Variant value;
};

// A cell's value as a text: what autofit measures and what reading the value gives.
QString displayText(const Variant& value)
{
    switch (value.type()) {
    case Variant::Type::String:
        return value.ToString();
    case Variant::Type::Int16:
    case Variant::Type::Int32:
        return QString::number(value.ToInt());
    case Variant::Type::Bool:
        return value.ToBool() ? u"VERO"_s : u"FALSO"_s;
    default:
        break;
    }
    return {};
}

struct Sheet
{
    QString name;
    Layer<Values> values;
    Layer<bool> textFormat; // number format "@"
    Layer<bool> bold;
    std::set<int> autoFitColumns;

    // The cell's value: empty, a text, a whole number or a truth value.
    const Variant& value(int row, int column) const
    {
        static const Variant none;
        static const Variant notAvailable = Variant::Str(u"#N/D"_s);
        const auto found = values.find(row, column);
        if (!found.value)
            return none;
        const auto& array = found.value->array;
        if (!array)
            return found.value->value;
        // Cells beyond the array read "#N/D", as the application does.
        const int i = row - found.top + 1;
        const int j = column - found.left + 1;
        return i <= array->Rows() && j <= array->Columns() ? array->At(i, j) : notAvailable;
    }
    bool isText(int row, int column) const { return isSet(textFormat, row, column); }
    bool isBold(int row, int column) const { return isSet(bold, row, column); }

    // The rows anything was set on; last is 0 when none.
    std::pair<int, int> rows() const
    {
        int first = MaxRows + 1, last = 0;
        values.widenRows(first, last);
        textFormat.widenRows(first, last);
        bold.widenRows(first, last);
        return {first, last};
    }
    // The columns of row anything was set on; last is 0 when none.
    std::pair<int, int> columns(int row) const
    {
        int first = MaxColumns + 1, last = 0;
        values.widenColumns(row, first, last);
        textFormat.widenColumns(row, first, last);
        bold.widenColumns(row, first, last);
        return {first, last};
    }

private:
    static bool isSet(const Layer<bool>& layer, int row, int column)
    {
        const auto found = layer.find(row, column);
        return found.value && *found.value;
    }
};

struct Workbook
{
    std::vector<std::shared_ptr<Sheet>> sheets;
    bool written = false;
};

// A rectangle of cells of one sheet; wholeColumns for column ranges ("A:Z"), whose rows are all rows.
struct Area
{
    std::shared_ptr<Sheet> sheet;
    int top = 1;
    int left = 1;
    int bottom = 1;
    int right = 1;
    bool wholeColumns = false;

    int rowCount() const { return bottom - top + 1; }
    int columnCount() const { return right - left + 1; }
    Block block() const { return {top, left, bottom, right}; }
};

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

// ---- Sheet names, as the file format and the application accept them.

void validateSheetName(const QString& name)
{
    bool valid = !name.isEmpty() && name.compare(u"History"_s, Qt::CaseInsensitive) != 0;
    if (valid) {
        lxw_workbook* scratch = workbook_new(nullptr);
        if (!scratch)
            fail(u"Memoria insufficiente."_s);
        valid = workbook_validate_sheet_name(scratch, name.toUtf8().constData()) == LXW_NO_ERROR;
        lxw_workbook_free(scratch);
    }
    if (!valid)
        fail(
            u"Il nome \"%1\" non \u00e8 valido per un foglio di lavoro: al massimo 31 caratteri, nessuno tra "
            "[ ] : * ? / \\, senza apostrofo iniziale o finale."_s.arg(name));
}

// ---- Writing the workbook.

// Characters XML cannot hold, which the file stores as "_xHHHH_" (tab and line feed it holds as they are).
bool isStoredEscaped(char16_t c)
{
    return c < 0x20 && c != u'\t' && c != u'\n';
}

bool isHexDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A text as the file stores it, in UTF-8. Readers decode every "_xHHHH_" in a stored text, so besides the
// characters XML cannot hold, a "_xHHHH_" the user typed is stored with its "_" escaped ("_x005F_xHHHH_")
// and reads back as typed. The library would escape the control characters too, but not the typed
// escapes; doing both here keeps the two apart ("_x0041" typed before a control character must not read
// as "A").
QByteArray storedText(const QString& text)
{
    const auto special = [](QChar c) { return c == u'_' || isStoredEscaped(c.unicode()); };
    if (std::none_of(text.begin(), text.end(), special))
        return text.toUtf8();
    const qsizetype n = text.size();
    QString stored;
    stored.reserve(n + 16);
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (isStoredEscaped(c)) {
            stored += QString::asprintf("_x%04X_", uint(c));
            continue;
        }
        const bool readsAsEscape = c == u'_' && i + 6 < n && text.at(i + 1) == u'x' &&
                                   std::all_of(text.begin() + i + 2, text.begin() + i + 6,
                                               [](QChar h) { return isHexDigit(h.unicode()); }) &&
                                   (text.at(i + 6) == u'_' || isStoredEscaped(text.at(i + 6).unicode()));
        if (readsAsEscape)
            stored += u"_x005F_"_s;
        else
            stored += QChar(c);
    }
    return stored.toUtf8();
}

[[noreturn]] void failWrite(int error)
{
    const QString reason = error == EFBIG                       ? u"file troppo grande"_s
                           : error == ENOSPC || error == EDQUOT ? u"spazio su disco esaurito"_s
                                                                : u"errore di scrittura"_s;
    fail(u"Impossibile scrivere la cartella di lavoro: %1."_s.arg(reason));
}

// At most the bytes a cell takes in the file: its text with every character escaped, and its markup.
qint64 cellBytesBound(const Variant& value)
{
    constexpr qint64 markup = 128;
    constexpr qint64 perCharacter = 7; // "_x0001_"; "&quot;", UTF-8 sequences are shorter
    return value.type() == Variant::Type::String ? markup + perCharacter * value.ToString().size() : markup;
}

class XlsxWriter
{
public:
    XlsxWriter(const QString& path, const QString& tmpFolder)
        : m_tmpdir(QFile::encodeName(tmpFolder))
    {
        lxw_workbook_options options{};
        options.tmpdir = m_tmpdir.data();
        // Rows go to the file as they are written, their texts inline: a third faster on a whole archive,
        // and the memory of one row instead of the whole sheet. Cells are written row by row, in order.
        options.constant_memory = LXW_TRUE;
        m_book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        if (!m_book)
            fail(u"Impossibile preparare la cartella di lavoro."_s);
        m_text = workbook_add_format(m_book);
        format_set_num_format(m_text, "@");
        m_textBold = workbook_add_format(m_book);
        format_set_num_format(m_textBold, "@");
        format_set_bold(m_textBold);
        m_bold = workbook_add_format(m_book);
        format_set_bold(m_bold);
    }
    ~XlsxWriter()
    {
        if (!m_book)
            return;
        // Freeing a workbook leaves the files holding its rows open, and the disk space they take held
        // until the program ends.
        for (const WrittenSheet& sheet : m_sheets) {
            if (sheet.ws->optimize_tmpfile)
                std::fclose(std::exchange(sheet.ws->optimize_tmpfile, nullptr));
        }
        lxw_workbook_free(m_book);
    }
    XlsxWriter(const XlsxWriter&) = delete;
    XlsxWriter& operator=(const XlsxWriter&) = delete;

    void addSheet(const Sheet& sheet, bool active, const std::optional<Area>& selection)
    {
        lxw_worksheet* ws = workbook_add_worksheet(m_book, sheet.name.toUtf8().constData());
        if (!ws)
            fail(u"Impossibile preparare il foglio di lavoro \"%1\"."_s.arg(sheet.name));
        m_sheets.push_back({ws});
        qint64 longestRowBytes = 0;
        // The longest text of each column sized to its contents, found while the rows are written.
        std::map<int, qsizetype> longest;
        for (const int column : sheet.autoFitColumns)
            longest[column] = 0;
        const auto [firstRow, lastRow] = sheet.rows();
        for (int r = firstRow; r <= lastRow; ++r) {
            const auto [firstColumn, lastColumn] = sheet.columns(r);
            qint64 rowBytes = 0;
            for (int c = firstColumn; c <= lastColumn; ++c) {
                const Variant& value = sheet.value(r, c);
                rowBytes += cellBytesBound(value);
                check(writeCell(ws, lxw_row_t(r - 1), lxw_col_t(c - 1), value, sheet.isText(r, c),
                                sheet.isBold(r, c)));
                if (!value.isEmpty() && !longest.empty()) {
                    const auto fit = longest.find(c);
                    if (fit != longest.end())
                        fit->second = qMax(fit->second, displayText(value).size());
                }
            }
            longestRowBytes = qMax(longestRowBytes, rowBytes);
        }
        // The sheet's last row, its column widths and the rest of the sheet are still to be written.
        m_sheets.back().bytesToFinish = 32 * 1024 + longestRowBytes + 128 * qint64(longest.size());
        for (const auto& [column, length] : longest) {
            if (length > 0)
                check(worksheet_set_column(ws, lxw_col_t(column - 1), lxw_col_t(column - 1),
                                           AutoFitWidth(length), nullptr));
        }
        if (active) {
            worksheet_activate(ws);
            if (selection && selection->sheet.get() == &sheet && !selection->wholeColumns)
                worksheet_set_selection(ws, lxw_row_t(selection->top - 1), lxw_col_t(selection->left - 1),
                                        lxw_row_t(selection->bottom - 1), lxw_col_t(selection->right - 1));
        }
    }

    // Writes the file; the workbook is gone afterwards, whatever the outcome.
    void close()
    {
        // The rows of each sheet wait in a temporary file, which the library copies into another one while
        // closing, then packs into the workbook. It reports the write errors of neither: a disk that fills
        // (or a file size limit) would give a well-formed workbook holding a cut sheet. So the rows must
        // have been written whole, and there must be room for their copy, before the library goes on.
        for (const WrittenSheet& sheet : m_sheets)
            checkRoomToFinish(sheet);
        lxw_workbook* book = std::exchange(m_book, nullptr);
        check(workbook_close(book));
    }

private:
    struct WrittenSheet
    {
        lxw_worksheet* ws = nullptr;
        qint64 bytesToFinish = 0; // at most, beyond the rows already in the temporary file
    };

    void checkRoomToFinish(const WrittenSheet& sheet) const
    {
        FILE* rows = sheet.ws->optimize_tmpfile;
        if (!rows)
            return;
        errno = 0;
        if (std::fflush(rows) != 0 || std::ferror(rows))
            failWrite(errno);
        const qint64 needed = qint64(ftello(rows)) + sheet.bytesToFinish;
        rlimit limit{};
        if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
            needed > qint64(limit.rlim_cur))
            failWrite(EFBIG);
        using DiskStatus = struct statvfs;
        DiskStatus disk{};
        if (statvfs(m_tmpdir.constData(), &disk) == 0 &&
            needed > qint64(disk.f_bavail) * qint64(disk.f_frsize))
            failWrite(ENOSPC);
    }

    lxw_error writeCell(lxw_worksheet* ws, lxw_row_t row, lxw_col_t column, const Variant& value, bool text,
                        bool bold)
    {
        lxw_format* format = text ? (bold ? m_textBold : m_text) : (bold ? m_bold : nullptr);
        switch (value.type()) {
        case Variant::Type::String: {
            const QString s = value.ToString();
            if (!s.isEmpty())
                return worksheet_write_string(ws, row, column, storedText(s).constData(), format);
            break;
        }
        case Variant::Type::Int16:
        case Variant::Type::Int32:
            return worksheet_write_number(ws, row, column, value.ToInt(), format);
        case Variant::Type::Bool:
            return worksheet_write_boolean(ws, row, column, value.ToBool(), format);
        default:
            break;
        }
        // An empty cell keeps its format, so what the user types there later is still text.
        return format ? worksheet_write_blank(ws, row, column, format) : LXW_NO_ERROR;
    }

    static void check(lxw_error error)
    {
        if (error != LXW_NO_ERROR)
            fail(u"Impossibile scrivere la cartella di lavoro: %1."_s.arg(
                QString::fromUtf8(lxw_strerror(error))));
    }

    QByteArray m_tmpdir;
    lxw_workbook* m_book = nullptr;
    std::vector<WrittenSheet> m_sheets;
    lxw_format* m_text = nullptr;
    lxw_format* m_textBold = nullptr;
    lxw_format* m_bold = nullptr;
};

// Writes a workbook into the export folder and returns the file's path.
QString writeWorkbook(const Application& app, const Workbook& book)
{
    const QString folder = ExportFolder::Ensure(app.exportFolder);
    QTemporaryFile file;
    ExportFolder::OpenTemporary(file, folder, u"xlsx"_s);
    file.close(); // the library writes the file by its name
    {
        XlsxWriter writer(file.fileName(), folder);
        for (const auto& sheet : book.sheets)
            writer.addSheet(*sheet, sheet == app.activeSheet, app.selection);
        writer.close();
    }
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
            return Variant::Bool(m_area.sheet->isBold(m_area.top, m_area.left));
        });
        Define(u"Bold", InvokeKind::PropertyPut, [this](const Arguments& a) {
            const bool bold = BoundArguments(u"Bold"_s, a, {u"RHS"}, 1).At(0).ToBool();
            requireCells(m_area, u"Bold"_s);
            m_area.sheet->bold.set(m_area.block(), bold);
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
            m_area.sheet->textFormat.set(m_area.block(), text);
            return Variant();
        });
        Define(u"Value", InvokeKind::PropertyPut, [this](const Arguments& a) {
            putValue(BoundArguments(u"Value"_s, a, {u"RHS"}, 1).At(0));
            return Variant();
        });
        Define(u"Value", InvokeKind::PropertyGet, [this](const Arguments& a) {
            BoundArguments(u"Value"_s, a, {}, 0);
            const QString text = displayText(m_area.sheet->value(m_area.top, m_area.left));
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
            const int rows = qMin(array.Rows(), m_area.rowCount());
            const int columns = qMin(array.Columns(), m_area.columnCount());
            for (int j = 1; j <= columns; ++j) {
                for (int i = 1; i <= rows; ++i)
                    checkCellValue(array.At(i, j));
            }
            put.array = std::make_shared<const VariantArray>(array);
        } else {
            checkCellValue(value);
            put.value = value;
        }
        m_area.sheet->values.set(m_area.block(), std::move(put));
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
            validateSheetName(name);
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
