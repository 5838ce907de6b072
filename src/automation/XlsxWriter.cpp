// SPDX-License-Identifier: GPL-3.0-or-later
#include "XlsxWriter.h"

#include "EAutomationError.h"
#include "SpreadsheetServer.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <xlsxwriter.h>

using namespace Qt::Literals::StringLiterals;
using namespace Automation;

namespace SpreadsheetServer::XlsxWriter {

namespace {

[[noreturn]] void fail(const QString& message)
{
    throw EAutomationError(message);
}

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

// One workbook on its way into its file: the sheets are added one by one, then the file is closed.
class WorkbookFile
{
public:
    WorkbookFile(const QString& path, const QString& tmpFolder)
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
    ~WorkbookFile()
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
    WorkbookFile(const WorkbookFile&) = delete;
    WorkbookFile& operator=(const WorkbookFile&) = delete;

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
        const auto [firstRow, lastRow] = sheet.Rows();
        for (int r = firstRow; r <= lastRow; ++r) {
            const auto [firstColumn, lastColumn] = sheet.Columns(r);
            qint64 rowBytes = 0;
            for (int c = firstColumn; c <= lastColumn; ++c) {
                const Variant& value = sheet.Value(r, c);
                rowBytes += cellBytesBound(value);
                check(writeCell(ws, lxw_row_t(r - 1), lxw_col_t(c - 1), value, sheet.IsText(r, c),
                                sheet.IsBold(r, c)));
                if (!value.isEmpty() && !longest.empty()) {
                    const auto fit = longest.find(c);
                    if (fit != longest.end())
                        fit->second = qMax(fit->second, DisplayText(value).size());
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

} // namespace

void ValidateSheetName(const QString& name)
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

void Write(const Workbook& book, const std::shared_ptr<Sheet>& activeSheet,
           const std::optional<Area>& selection, const QString& path, const QString& tmpFolder)
{
    WorkbookFile file(path, tmpFolder);
    for (const auto& sheet : book.sheets)
        file.addSheet(*sheet, sheet == activeSheet, selection);
    file.close();
}

} // namespace SpreadsheetServer::XlsxWriter
