// SPDX-License-Identifier: GPL-3.0-or-later
#include "CardImport.h"

#include "DuplicateKeys.h"
#include "ImportError.h"
#include "server/ArchiveStores.h"
#include "storage/CardFields.h"
#include "storage/ESQLiteException.h"
#include "storage/Win1252.h"

#include <QFileInfo>
#include <QHash>
#include <array>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

using Outcome = ImportReport::Outcome;

void addLine(QList<ImportReport::Line>& list, qint64 row, const QString& text)
{
    if (list.size() < ImportReport::MaxLines)
        list.append({row, text});
}

void addNote(ImportReport& report, qint64 row, const QString& text)
{
    ++report.noteCount;
    addLine(report.notes, row, text);
}

// A 64-bit digest of a duplicate key: two different keys meet by chance about once in 10^13 pairs, and
// then only a duplicate is reported that the user can see is none.
quint64 digest(const QString& kind, const QString& key)
{
    const QString text = kind + u'\x1f' + key;
    return quint64(
        qHashBits(text.constData(), std::size_t(text.size()) * sizeof(QChar), 0x9e3779b97f4a7c15u));
}

QString microchipKey(const QString& text)
{
    QString key;
    for (const QChar c : text) {
        if (!c.isSpace())
            key += c;
    }
    return key.toCaseFolded();
}

// The card's keys for duplicates: none, one or two digests.
QList<quint64> keysOf(const QString& name, const QString& birth, const QString& microchip)
{
    QList<quint64> keys;
    const QString chip = microchipKey(microchip);
    if (!chip.isEmpty())
        keys.append(digest(u"chip"_s, chip));
    const QString n = Win1252::Trimmed(name).simplified().toCaseFolded();
    const QString b = Win1252::Trimmed(birth);
    if (!n.isEmpty() && !b.isEmpty())
        keys.append(digest(u"nome"_s, n + u'\x1f' + b));
    return keys;
}

QString named(char32_t c)
{
    return u"\u00ab%1\u00bb (U+%2)"_s.arg(QString::fromUcs4(&c, 1))
        .arg(QString::number(uint(c), 16).toUpper().rightJustified(4, u'0'));
}

// The archive's bytes of text; most texts are ASCII or Latin-1, which Windows-1252 holds byte for byte.
std::optional<QByteArray> encoded(const QString& text)
{
    if (text.isEmpty())
        return QByteArray();
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80 && (c < 0xA0 || c > 0xFF))
            return Win1252::Encode(text);
        out[i] = char(c);
    }
    return bytes;
}

// The characters of text that Windows-1252 cannot hold, each once.
QList<char32_t> unrepresentable(const QString& text)
{
    QList<char32_t> found;
    if (Win1252::Encode(text))
        return found;
    for (const char32_t c : text.toUcs4()) {
        if (!found.contains(c) && !Win1252::Encode(QString::fromUcs4(&c, 1)))
            found.append(c);
    }
    return found;
}

// The import's work on the archive's batch: every row checked, and stored when write is set and no row
// has a problem left. report.outcome says how it ended: Imported only when everything is to be kept.
void importInto(CardBatch& batch, CardSource& source, const CategoryDescriptor& category, bool write,
                const std::function<bool(double)>& progress, ImportReport& report)
{
    // The archive's cards, for the duplicates: origin > 0 is a row of the file, < 0 a card's ID.
    DuplicateKeys seen;
    constexpr std::array<int, 3> KeyFields = {CardFields::Nome, CardFields::DataNasc, CardFields::Microchip};
    batch.ForEachCard(KeyFields, [&](qint64 id, const QList<QByteArray>& texts) {
        for (const quint64 k :
             keysOf(Win1252::Decode(texts[0]), Win1252::Decode(texts[1]), Win1252::Decode(texts[2])))
            seen.FindOrAdd(k, -id);
    });

    const QString word = source.RowWord();
    ImportCandidate card;
    bool blocked = false;
    while (source.Next(card)) {
        // Cancelled before the row is counted: the report's counts agree with each other.
        if (progress && (report.rowsRead + 1) % 64 == 0 && !progress(source.Progress())) {
            report.outcome = Outcome::Cancelled;
            return;
        }
        ++report.rowsRead;
        QStringList problems = card.problems;
        // The card's save replaces these, and stored cards never hold them.
        bool sanitised = false;
        for (int f = 0; f < CardFields::EditableCount; ++f) {
            QString& text = card.values[std::size_t(f)];
            if (text.contains(u';') || text.contains(u'"')) {
                text.replace(u';', u' ').replace(u'"', u' ');
                sanitised = true;
            }
        }
        if (Win1252::Trimmed(card.values[CardFields::Nome]).isEmpty())
            problems.append(u"manca il nome"_s);
        bool skip = false;
        QStringList replaced;
        std::array<QByteArray, CardFields::Count> bytes;
        for (int f = 0; f < CardFields::Count; ++f) {
            QString& text = card.values[std::size_t(f)];
            if (const auto e = encoded(text)) {
                bytes[std::size_t(f)] = Win1252::Trimmed(*e);
                continue;
            }
            const QList<char32_t> bad = unrepresentable(text);
            QStringList names;
            for (const char32_t c : bad)
                names.append(named(c));
            const QString field = f < CardFields::EditableCount
                                      ? CardFields::Label(f, category).remove(u':')
                                      : QString(CardFields::All[std::size_t(f)].column);
            const QString what = u"%1: %2"_s.arg(field, names.join(u", "_s));
            if (report.options.unrepresentable == ImportOptions::Unrepresentable::Refuse) {
                problems.append(u"caratteri che l'archivio non pu\u00f2 contenere in "_s + what);
            } else if (report.options.unrepresentable == ImportOptions::Unrepresentable::Skip) {
                skip = true;
                replaced.append(what);
            } else {
                QString fixed;
                for (const char32_t c : text.toUcs4())
                    fixed += bad.contains(c) ? u"?"_s : QString::fromUcs4(&c, 1);
                text = fixed;
                bytes[std::size_t(f)] = Win1252::Trimmed(encoded(text).value_or(QByteArray()));
                replaced.append(what);
            }
        }
        if (!problems.isEmpty()) {
            ++report.problemRows;
            addLine(report.problems, card.row, problems.join(u"; "_s));
            blocked = true;
            continue;
        }
        if (skip) {
            ++report.skippedRows;
            addNote(report, card.row,
                    u"saltata: caratteri che l'archivio non pu\u00f2 contenere in "_s +
                        replaced.join(u"; "_s));
            continue;
        }
        // Duplicates.
        const QList<quint64> keys = keysOf(card.values[CardFields::Nome], card.values[CardFields::DataNasc],
                                           card.values[CardFields::Microchip]);
        qint64 like = 0;
        int likeKey = -1;
        for (qsizetype k = 0; k < keys.size(); ++k) {
            const qint64 met = seen.FindOrAdd(keys[k], card.row);
            if (met != 0 && like == 0) {
                like = met;
                likeKey = int(k);
            }
        }
        if (like != 0) {
            const bool byChip = likeKey == 0 && !microchipKey(card.values[CardFields::Microchip]).isEmpty();
            const QString how = byChip ? u"stesso microchip"_s : u"stesso nome e data di nascita"_s;
            const QString of = like < 0 ? u"della scheda n. %1 gi\u00e0 in archivio"_s.arg(-like)
                                        : u"della %1 %2"_s.arg(word).arg(like);
            ++report.duplicateRows;
            addLine(report.duplicates, card.row, how + u' ' + of);
            if (report.options.duplicates == ImportOptions::Duplicates::Refuse) {
                blocked = true;
                continue;
            }
            if (report.options.duplicates == ImportOptions::Duplicates::Skip) {
                ++report.skippedRows;
                continue;
            }
        }
        if (sanitised)
            addNote(report, card.row, u"\u00ab;\u00bb e virgolette sostituiti da spazi"_s);
        if (!replaced.isEmpty())
            addNote(report, card.row,
                    u"sostituiti con \u00ab?\u00bb i caratteri di "_s + replaced.join(u"; "_s));
        ++report.accepted;
        if (!write) {
            source.Inserted(card.sourceId, 0);
            continue;
        }
        if (blocked)
            continue;
        source.Inserted(card.sourceId, batch.Insert(bytes, card.photo));
    }
    if (progress && !progress(1.0)) {
        report.outcome = Outcome::Cancelled;
        return;
    }
    if (blocked) {
        report.outcome = Outcome::Problems;
        return;
    }
    report.extra = source.Finish(batch, write);
    report.outcome = write ? Outcome::Imported : Outcome::Ready;
}

} // namespace

const CategoryDescriptor* CategoryNamed(const QString& name)
{
    QString n = name.trimmed();
    if (n.endsWith(u".db"_s, Qt::CaseInsensitive))
        n.chop(3);
    for (const CategoryDescriptor& c : Categories::All) {
        QString file(c.databaseFileName);
        file.chop(3);
        if (n.compare(QString(c.title), Qt::CaseInsensitive) == 0 ||
            n.compare(file, Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}

ImportReport RunImport(CardSource& source, const CategoryDescriptor& category, const QString& programFolder,
                       const ImportOptions& options, bool write, const std::function<bool(double)>& progress)
{
    ImportReport report;
    report.dryRun = !write;
    report.options = options;
    report.rowWord = source.RowWord();
    try {
        ArchiveStores stores(programFolder);
        const std::unique_ptr<ArchiveStore> store = stores.Open(category);
        store->AddCards(write, [&](CardBatch& batch) {
            importInto(batch, source, category, write, progress, report);
            return report.outcome == Outcome::Imported;
        });
    } catch (const EImportError& e) {
        report.outcome = Outcome::Unreadable;
        report.error = e.message();
    } catch (const ESQLiteException& e) {
        report.outcome = Outcome::Failed;
        report.error = e.message();
    }
    return report;
}

int ImportReport::ExitCode() const
{
    switch (outcome) {
    case Outcome::Ready:
    case Outcome::Imported:
        return 0;
    case Outcome::Problems:
        return 1;
    case Outcome::Unreadable:
        return 2;
    case Outcome::Cancelled:
    case Outcome::Failed:
        break;
    }
    return 3;
}

QString ImportReport::Text(const QString& sourceName, const CategoryDescriptor& category) const
{
    QString t;
    t += (dryRun ? u"Prova di importazione"_s : u"Importazione"_s) +
         u" di \u00ab%1\u00bb nell'archivio %2\n\n"_s.arg(sourceName, QString(category.title));
    if (outcome == Outcome::Unreadable || outcome == Outcome::Failed) {
        t += error + u"\n\nNessuna scheda \u00e8 stata importata: l'archivio \u00e8 invariato.\n"_s;
        return t;
    }
    const QString rows = rowWord == u"riga"_s ? u"Righe lette"_s : u"Schede lette"_s;
    t += u"%1: %2\n"_s.arg(rows).arg(rowsRead);
    t += (outcome == Outcome::Imported ? u"Schede aggiunte: %1\n"_s : u"Schede da aggiungere: %1\n"_s)
             .arg(accepted);
    if (skippedRows > 0)
        t += u"Saltate: %1\n"_s.arg(skippedRows);
    auto list = [&](const QString& title, qint64 count, const QList<Line>& lines) {
        if (count == 0)
            return;
        t += u"\n%1: %2\n"_s.arg(title).arg(count);
        for (const Line& l : lines)
            t += u"  %1 %2: %3\n"_s.arg(rowWord).arg(l.row).arg(l.text);
        if (count > lines.size())
            t += u"  ... e altre %1\n"_s.arg(count - lines.size());
    };
    list(u"Con problemi"_s, problemRows, problems);
    QString dupTitle = u"Doppioni"_s;
    if (options.duplicates == ImportOptions::Duplicates::Skip)
        dupTitle += u" (saltati)"_s;
    else if (options.duplicates == ImportOptions::Duplicates::Include)
        dupTitle += u" (importati comunque)"_s;
    else
        dupTitle += u" (da saltare o importare: scegliere)"_s;
    list(dupTitle, duplicateRows, duplicates);
    list(u"Avvisi"_s, noteCount, notes);
    for (const QString& line : extra)
        t += u"\n"_s + line;
    if (!extra.isEmpty())
        t += u'\n';
    t += u'\n';
    switch (outcome) {
    case Outcome::Ready:
        t += u"Nulla \u00e8 stato modificato (prova).\n"_s;
        break;
    case Outcome::Imported:
        t += u"Importazione completata.\n"_s;
        break;
    case Outcome::Problems:
        t +=
            u"Nessuna scheda \u00e8 stata importata: correggere le righe indicate (o scegliere cosa fare dei "
            u"doppioni) e riprovare.\n"_s;
        break;
    case Outcome::Cancelled:
        t += u"Importazione annullata: nessuna scheda \u00e8 stata importata.\n"_s;
        break;
    case Outcome::Unreadable:
    case Outcome::Failed:
        break;
    }
    return t;
}
