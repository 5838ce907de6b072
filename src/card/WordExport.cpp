// SPDX-License-Identifier: GPL-3.0-or-later
#include "WordExport.h"

#include "automation/EAutomationError.h"
#include "storage/AtomicFile.h"
#include "storage/CardFields.h"
#include "storage/Win1252.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;
using namespace Automation;

namespace {

constexpr qint32 AlignCentre = 1;  // wdAlignParagraphCenter
constexpr qint32 AlignJustify = 3; // wdAlignParagraphJustify
const QString Title = u"SCHEDA ANIMALE DOMESTICO"_s;
const QString FontName = u"Arial"_s;
constexpr qint32 FontSize = 10;

// The picture file, written whole or not at all: a failure never leaves a file that does not match the
// card. A link of that name is replaced, never written through.
void writePictureFile(const QString& path, const QByteArray& bytes)
{
    QString error;
    if (!AtomicFile::Write(path, bytes, &error))
        throw EAutomationError(
            u"Impossibile scrivere il file \"%1\": %2."_s.arg(QDir::toNativeSeparators(path), error));
}

DispatchPtr windowSelection(Dispatch& app)
{
    return app.GetObject(u"ActiveWindow"_s)->GetObject(u"Selection"_s);
}

DispatchPtr selection(Dispatch& app)
{
    return app.GetObject(u"Selection"_s);
}

} // namespace

QString WordExportLabel(int row, const CategoryDescriptor& category)
{
    if (row < 1 || row > WordExportRows)
        return {};
    if (row == 15)
        return u"Numero passaporto:"_s;
    return Win1252::Trimmed(CardFields::Label(row - 1, category));
}

WordExportResult ExportCardToWord(const CardTextReader& readValue, const CategoryDescriptor& category,
                                  const QByteArray& picture, const QByteArray& placeholder,
                                  const QString& programFolder, const Registry& registry)
{
    WordExportResult result;
    int step = 0;
    try {
        const DispatchPtr app = registry.Create(u"Word.Application"_s);

        step = 1;
        app->GetObject(u"Documents"_s)->Call(u"Add"_s);

        step = 2;
        windowSelection(*app)->GetObject(u"ParagraphFormat"_s)->Put(u"Alignment"_s, Variant::I4(AlignCentre));
        step = 3;
        windowSelection(*app)->Call(u"InsertAfter"_s, {Variant::Str(Title)});
        step = 4;
        windowSelection(*app)->Call(u"InsertParagraphAfter"_s);
        step = 5;
        windowSelection(*app)->GetObject(u"Font"_s)->Put(u"Name"_s, Variant::Str(FontName));
        step = 6;
        windowSelection(*app)->GetObject(u"Font"_s)->Put(u"Size"_s, Variant::I4(FontSize));
        step = 7;
        windowSelection(*app)->GetObject(u"Font"_s)->Put(u"Bold"_s, Variant::Bool(true));
        step = 8;
        windowSelection(*app)->Call(u"EndOf"_s);

        step = 9;
        {
            const DispatchPtr range = selection(*app)->GetObject(u"range"_s);
            range->GetObject(u"Font"_s)->Put(u"Name"_s, Variant::Str(FontName));
            range->GetObject(u"Font"_s)->Put(u"Size"_s, Variant::I4(FontSize));
        }
        step = 10;
        selection(*app)->Call(u"TypeParagraph"_s);

        step = 11;
        const QString picturePath =
            QFileInfo(QDir(programFolder).filePath(WordPictureFileName)).absoluteFilePath();
        writePictureFile(picturePath, picture.isEmpty() ? placeholder : picture);

        step = 12;
        selection(*app)
            ->GetObject(u"InlineShapes"_s)
            ->Call(u"AddPicture"_s, {Variant::Str(picturePath), Variant::Bool(false), Variant::Bool(true)});
        step = 13;
        selection(*app)->Call(u"TypeParagraph"_s);

        step = 14;
        windowSelection(*app)->GetObject(u"ParagraphFormat"_s)->Put(u"Alignment"_s, Variant::I4(AlignCentre));
        step = 15;
        windowSelection(*app)->Call(u"InsertAfter"_s, {Variant::Str(QString())});
        step = 16;
        windowSelection(*app)->Call(u"InsertParagraphAfter"_s);
        step = 17;
        windowSelection(*app)->GetObject(u"Font"_s)->Put(u"Name"_s, Variant::Str(FontName));
        windowSelection(*app)->GetObject(u"Font"_s)->Put(u"Size"_s, Variant::I4(FontSize));
        windowSelection(*app)->GetObject(u"Font"_s)->Put(u"Bold"_s, Variant::Bool(true));
        step = 18;
        windowSelection(*app)->Call(u"EndOf"_s);
        step = 19;
        windowSelection(*app)
            ->GetObject(u"ParagraphFormat"_s)
            ->Put(u"Alignment"_s, Variant::I4(AlignJustify));

        step = 20;
        const DispatchPtr insertionRange = selection(*app)->GetObject(u"range"_s);
        step = 21;
        selection(*app)
            ->GetObject(u"range"_s)
            ->GetObject(u"Tables"_s)
            ->Call(u"Add"_s, {Named(u"range"_s, Variant::Object(insertionRange)),
                              Named(u"NumRows"_s, Variant::I4(WordExportRows)),
                              Named(u"NumColumns"_s, Variant::I4(2))});

        step = 22;
        for (int row = 1; row <= WordExportRows; ++row) {
            for (int column = 1; column <= 2; ++column) {
                const QString text =
                    column == 1 ? WordExportLabel(row, category) : Win1252::Trimmed(readValue(row));
                selection(*app)
                    ->GetObject(u"range"_s)
                    ->GetObject(u"Tables"_s)
                    ->CallObject(u"Item"_s, {Variant::I4(1)})
                    ->CallObject(u"Cell"_s, {Variant::I4(row), Variant::I4(column)})
                    ->GetObject(u"range"_s)
                    ->Call(u"InsertAfter"_s, {Variant::Str(text)});
            }
        }

        step = 23;
        app->Put(u"Visible"_s, Variant::Bool(true));
    } catch (const EAutomationError& e) {
        result.ok = false;
        result.failedStep = step;
        result.errorText = e.message();
    } catch (const std::exception& e) {
        // Anything else that stops a step (memory) is that step's failure too.
        result.ok = false;
        result.failedStep = step;
        result.errorText = QString::fromLocal8Bit(e.what());
    }
    return result;
}
