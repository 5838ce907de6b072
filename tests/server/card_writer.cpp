// SPDX-License-Identifier: GPL-3.0-or-later
// A workstation saving one card through the record card's rules until it is killed, and the check of what
// it left behind (tests/server/kill_saves.sh). The archive is Amici's in FOLDER: its files, or the server
// its Codazzurra.ini names, as the program wires it.
//
//   card_writer save FOLDER TAG [COUNT [PAUSE]]
//       Finds the card named "TAG g…" (saving it as generation 0 when there is none) and saves it COUNT
//       times (0 or none: until killed), PAUSE milliseconds apart, as generation G+1, G+2, …: every
//       editable field changed, and a new photo loaded from a file at every fourth generation. Prints each
//       generation, flushed, once its save has returned; a save that fails ends the run with its reason on
//       standard error.
//   card_writer check FOLDER TAG
//       Prints the card's generation when every field and the photo are that generation's; otherwise
//       "none" or "torn: …", and exits with 1.
#include "card/CardEditor.h"
#include "picture/JpegDecoder.h"
#include "server/ArchiveStores.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int PhotoEvery = 4;

// The text of an editable field at a generation; Windows-1252 letters outside ASCII included.
QString text(const QString& tag, int generation, int field)
{
    const QString head = u"%1 g%2 campo %3"_s.arg(tag).arg(generation).arg(field);
    return field == CardFields::Note ? head + u"\nNote: citt\u00e0, perch\u00e9 \u20ac \u0153"_s
                                     : head + u" citt\u00e0 perch\u00e9 \u20ac"_s;
}

// The photo loaded at a generation: a real JPEG with three comment segments of 60 kB naming it, so that
// a photo stored in part shows pieces of two generations.
QByteArray photo(const QString& tag, int generation)
{
    static const QByteArray base = TestFiles::MakeJpegWith(QSize(320, 240), {.textured = true});
    QByteArray bytes = base;
    const QByteArray mark = u"%1 g%2 foto "_s.arg(tag).arg(generation).toLatin1();
    const QByteArray comment = mark.repeated(60000 / mark.size() + 1).left(60000);
    for (int i = 0; i < 3; ++i)
        bytes.insert(2, "\xff\xfe"_ba + char((comment.size() + 2) >> 8) + char((comment.size() + 2) & 0xff) +
                            comment);
    return bytes;
}

// Shows the card named "TAG g…"; its generation, or -1 when there is none.
int findCard(CardEditor& editor, const QString& tag)
{
    static const QRegularExpression name(u"^(\\S+) g(\\d+) "_s);
    for (bool more = editor.Navigate(CardEditor::Step::First); more;
         more = editor.Navigate(CardEditor::Step::Next)) {
        const auto match = name.match(editor.Value(CardFields::Nome));
        if (match.hasMatch() && match.captured(1) == tag)
            return match.captured(2).toInt();
    }
    return -1;
}

// What is wrong with the card shown as generation generation's; empty when nothing is.
QString tornFields(const CardEditor& editor, const QString& tag, int generation)
{
    QString wrong;
    for (int i = 0; i < CardFields::Count; ++i) {
        const QString want = i < CardFields::EditableCount ? text(tag, generation, i) : QString();
        if (editor.Value(i) != want)
            wrong += u" field %1 is \u00ab%2\u00bb;"_s.arg(i).arg(editor.Value(i).left(40));
    }
    if (editor.PhotoBytes() != photo(tag, generation - generation % PhotoEvery))
        wrong += u" the photo (%1 bytes, \u00ab%2\u00bb)"_s.arg(editor.PhotoBytes().size())
                     .arg(QString::fromLatin1(editor.PhotoBytes().mid(6, 24)));
    return wrong;
}

int save(CardEditor& editor, const QString& folder, const QString& tag, int count, int pause)
{
    int generation = findCard(editor, tag);
    if (generation < 0)
        editor.Clear();
    const QString photoPath = folder + u"/foto-"_s + tag + u".jpg"_s;
    for (int n = 0; count <= 0 || n < count; ++n) {
        if (n > 0 && pause > 0)
            QThread::msleep(pause);
        ++generation;
        for (int i = 0; i < CardFields::EditableCount; ++i)
            editor.SetValue(i, text(tag, generation, i));
        if (generation % PhotoEvery == 0) {
            // Loaded as the card loads a photo: read from its file, and only a clean decode is taken.
            QFile file(photoPath);
            if (!file.open(QIODevice::WriteOnly) || file.write(photo(tag, generation)) < 0 || !file.flush())
                return std::fprintf(stderr, "cannot write %s\n", qPrintable(photoPath)), 1;
            file.close();
            const QByteArray bytes = CategoryStore::ReadPictureFile(photoPath);
            if (!Jpeg::Decode(bytes, QSize(400, 300)).clean())
                return std::fprintf(stderr, "the photo does not decode cleanly\n"), 1;
            editor.SetPendingPhoto(photoPath, bytes);
        }
        const CardEditor::SaveOutcome outcome = editor.Save();
        using Kind = CardEditor::SaveOutcome::Kind;
        if (outcome.kind != Kind::Updated && outcome.kind != Kind::Inserted) {
            std::fprintf(stderr, "save of generation %d: outcome %d, %s\n", generation, int(outcome.kind),
                         qPrintable(outcome.error));
            return 1;
        }
        std::printf("%d\n", generation);
        std::fflush(stdout);
    }
    return 0;
}

int check(CardEditor& editor, const QString& tag)
{
    const int generation = findCard(editor, tag);
    if (generation < 0)
        return std::printf("none\n"), 1;
    const QString wrong = tornFields(editor, tag, generation);
    if (!wrong.isEmpty())
        return std::printf("torn: generation %d, but%s\n", generation, qPrintable(wrong)), 1;
    return std::printf("%d\n", generation), 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4 || (args[1] != u"save"_s && args[1] != u"check"_s)) {
        std::fprintf(stderr, "usage: card_writer save FOLDER TAG [COUNT [PAUSE]] | check FOLDER TAG\n");
        return 2;
    }
    try {
        ArchiveStores stores(args[2]);
        CardEditor editor(stores.Open(*Categories::ByKey(u"Amici"_s)));
        // As the record card opens: the archive ready (created when missing) before the first card.
        editor.OpenArchive();
        if (args[1] == u"check"_s)
            return check(editor, args[3]);
        return save(editor, args[2], args[3], args.value(4).toInt(), args.value(5).toInt());
    } catch (const ESQLiteException& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}
