// SPDX-License-Identifier: GPL-3.0-or-later
#include "Generation.h"

#include "Sha256.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 BufferSize = 1 << 20;
const QString NameFormat = u"'Codazzurra 'yyyy-MM-dd HH.mm.ss'.zip'"_s;
const QByteArray CommentHead = "Codazzurra CRC-32 ";
constexpr int ChecksumDigits = 8;

struct ZipCloser
{
    void operator()(zip_t* z) const { zip_discard(z); }
};
using Zip = std::unique_ptr<zip_t, ZipCloser>;
struct FileCloser
{
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using ZipFile = std::unique_ptr<zip_file_t, FileCloser>;

Zip openForReading(const QString& path, QString* error)
{
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!z) {
        zip_error_t e;
        zip_error_init_with_code(&e, code);
        *error = u"archivio zip illeggibile (%1)"_s.arg(QString::fromUtf8(zip_error_strerror(&e)));
        zip_error_fini(&e);
    }
    return Zip(z);
}

// Reads entry name whole through fn (chunk by chunk); libzip checks the entry's CRC-32 at its end.
bool readEntry(zip_t* z, const QString& name, qint64 expectedSize,
               const std::function<bool(const char*, qint64)>& fn, QString* error)
{
    const QByteArray utf8 = name.toUtf8();
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(z, utf8.constData(), ZIP_FL_ENC_UTF_8, &st) != 0) {
        *error = u"%1 manca"_s.arg(name);
        return false;
    }
    if (!(st.valid & ZIP_STAT_SIZE) || (expectedSize >= 0 && qint64(st.size) != expectedSize)) {
        *error = u"%1 ha una dimensione diversa da quella registrata"_s.arg(name);
        return false;
    }
    ZipFile file(zip_fopen_index(z, st.index, 0));
    if (!file) {
        *error = u"%1 illeggibile (%2)"_s.arg(name, QString::fromUtf8(zip_strerror(z)));
        return false;
    }
    std::unique_ptr<char[]> buffer(new char[BufferSize]);
    qint64 total = 0;
    while (true) {
        const zip_int64_t n = zip_fread(file.get(), buffer.get(), BufferSize);
        if (n < 0) {
            *error = u"%1 illeggibile (%2)"_s.arg(name, QString::fromUtf8(zip_file_strerror(file.get())));
            return false;
        }
        if (n == 0)
            break;
        total += n;
        if (!fn(buffer.get(), n)) {
            *error = u"interrotta"_s;
            return false;
        }
    }
    if (total != qint64(st.size)) {
        *error = u"%1 \u00e8 incompleto"_s.arg(name);
        return false;
    }
    return true;
}

// The manifest of an open generation; nullopt, with the reason, when there is none.
std::optional<Manifest> manifestOf(zip_t* z, QString* reason)
{
    QByteArray text;
    if (!readEntry(
            z, QString::fromLatin1(Manifest::FileName), -1,
            [&](const char* data, qint64 n) {
                text.append(data, n);
                return text.size() < (1 << 20);
            },
            reason))
        return std::nullopt;
    std::optional<Manifest> manifest = Manifest::Parse(text);
    if (!manifest)
        *reason = u"elenco del contenuto (Manifest.txt) illeggibile"_s;
    return manifest;
}

// What one reading of a whole generation found.
struct Reading
{
    bool ok = false;
    QString reason;
    uLong crc = 0; // of every byte before the seal's digits
};

// Reads the zip at path once, from its first byte to its seal's digits, in order: each file the manifest
// holds is hashed and checked against it (size and SHA-256), every other byte (the zip's headers and
// directory, the manifest) goes into the CRC-32 the seal carries. A file checked by its SHA-256 enters that
// CRC-32 through the one the zip's directory records for it, which libzip computed from the same bytes as it
// wrote them: its data are read and hashed once, not also summed. Only the layout this program writes is
// accepted: files stored without compression, each local header followed by its data, in the order of the
// directory.
Reading readThrough(zip_t* z, const QString& path, const Manifest& manifest,
                    const Generation::Progress& progress)
{
    Reading r;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        r.reason = file.errorString();
        return r;
    }
    const qint64 end = file.size() - ChecksumDigits;
    const qint64 total = file.size();
    std::unique_ptr<char[]> buffer(new char[BufferSize]);
    qint64 at = 0;
    uLong crc = crc32(0L, Z_NULL, 0);
    // The next length bytes of the file, through fn.
    auto read = [&](qint64 length, const std::function<void(const char*, qint64)>& fn) {
        if (at + length > end) {
            r.reason = u"file troppo corto"_s;
            return false;
        }
        while (length > 0) {
            const qint64 n = file.read(buffer.get(), std::min(length, BufferSize));
            if (n <= 0) {
                r.reason = n < 0 ? file.errorString() : u"file troppo corto"_s;
                return false;
            }
            fn(buffer.get(), n);
            at += n;
            length -= n;
            if (progress && !progress(at, total)) {
                r.reason = u"interrotta"_s;
                return false;
            }
        }
        return true;
    };
    auto summed = [&](const char* data, qint64 n) {
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data), uInt(n));
    };
    const QString unexpected = u"struttura del file zip inattesa"_s;
    std::size_t checked = 0;
    const zip_int64_t count = zip_get_num_entries(z, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        constexpr zip_uint64_t needed =
            ZIP_STAT_NAME | ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD;
        if (zip_stat_index(z, zip_uint64_t(i), 0, &st) != 0 || (st.valid & needed) != needed ||
            st.comp_method != ZIP_CM_STORE || st.size != st.comp_size) {
            r.reason = unexpected;
            return r;
        }
        QByteArray head;
        const auto kept = [&](const char* data, qint64 n) {
            head.append(data, n);
            summed(data, n);
        };
        if (!read(30, kept))
            return r;
        const auto field = [&](int offset) {
            return uint(uchar(head[offset])) | uint(uchar(head[offset + 1])) << 8;
        };
        // A local header, of this entry, without a data descriptor after the data.
        if (!head.startsWith("PK\x03\x04") || (field(6) & 0x0008) != 0) {
            r.reason = unexpected;
            return r;
        }
        if (!read(qint64(field(26)) + field(28), kept))
            return r;
        if (head.mid(30, field(26)) != QByteArray(st.name)) {
            r.reason = unexpected;
            return r;
        }
        const QString name = QString::fromUtf8(st.name);
        const Manifest::Entry* e = name == QLatin1String(Manifest::FileName) ? nullptr : manifest.Find(name);
        if (!e) {
            if (!read(qint64(st.comp_size), summed))
                return r;
            continue;
        }
        if (!e->damage.isEmpty() || qint64(st.size) != e->size) {
            r.reason = u"%1 ha una dimensione diversa da quella registrata"_s.arg(name);
            return r;
        }
        Sha256 hash;
        if (!read(qint64(st.comp_size),
                  [&](const char* data, qint64 n) { hash.AddData(QByteArrayView(data, n)); }))
            return r;
        if (hash.HexResult() != e->sha256) {
            r.reason = u"%1 non corrisponde al suo SHA-256"_s.arg(name);
            return r;
        }
        crc = crc32_combine(crc, st.crc, z_off_t(st.comp_size));
        ++checked;
    }
    if (checked != manifest.Files().size()) {
        r.reason = u"il numero di file non corrisponde all'elenco del contenuto"_s;
        return r;
    }
    // The directory, and the comment up to the seal's digits.
    if (!read(end - at, summed))
        return r;
    r.crc = crc;
    r.ok = true;
    return r;
}

QByteArray checksumText(uLong crc)
{
    return QByteArray::number(qulonglong(crc), 16).rightJustified(ChecksumDigits, '0');
}

// The generation at path read through once, with its manifest; crc receives the CRC-32 its seal should carry.
// The generation at path opened, with its manifest in v, holding exactly the files the manifest names and
// the manifest; nothing (and v's reason) otherwise.
Zip openWithManifest(const QString& path, Generation::Verdict& v)
{
    Zip z = openForReading(path, &v.reason);
    if (!z)
        return z;
    v.manifest = manifestOf(z.get(), &v.reason);
    if (!v.manifest)
        return {};
    if (zip_get_num_entries(z.get(), 0) != zip_int64_t(v.manifest->Files().size() + 1)) {
        v.reason = u"il numero di file non corrisponde all'elenco del contenuto"_s;
        return {};
    }
    return z;
}

Generation::Verdict readWhole(const QString& path, const Generation::Progress& progress, uLong* crc)
{
    Generation::Verdict v;
    Zip z = openWithManifest(path, v);
    if (!z)
        return v;
    const Reading reading = readThrough(z.get(), path, *v.manifest, progress);
    if (!reading.ok) {
        v.reason = reading.reason;
        return v;
    }
    *crc = reading.crc;
    v.ok = true;
    return v;
}

} // namespace

namespace Generation {

QString FileName(const QDateTime& date)
{
    return date.toString(NameFormat);
}

std::optional<QDateTime> DateOfName(const QString& fileName)
{
    static const QRegularExpression pattern(
        u"^Codazzurra \\d{4}-\\d\\d-\\d\\d \\d\\d\\.\\d\\d\\.\\d\\d\\.zip$"_s);
    if (!pattern.match(fileName).hasMatch())
        return std::nullopt;
    const QDateTime date = QDateTime::fromString(fileName, NameFormat);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QRegularExpression TemporaryNames()
{
    return QRegularExpression(
        u"^\\.codazzurra-backup-[A-Za-z0-9]{6}(\\.zip(\\.[A-Za-z0-9]{6})?|-journal)?$"_s);
}

QString NewTemporaryPath(const QString& folder, const QString& suffix)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    while (true) {
        QString name = u".codazzurra-backup-"_s;
        for (int i = 0; i < 6; ++i)
            name += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
        const QString path = QDir(folder).filePath(name + suffix);
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return path;
    }
}

std::optional<Manifest> ReadManifest(const QString& path, QString* error)
{
    QString reason;
    Zip z = openForReading(path, &reason);
    std::optional<Manifest> manifest = z ? manifestOf(z.get(), &reason) : std::nullopt;
    if (error)
        *error = reason;
    return manifest;
}

std::vector<Listed> List(const QString& folder)
{
    std::vector<Listed> listed;
    const QDir dir(folder);
    for (const QFileInfo& info :
         dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name)) {
        const auto date = DateOfName(info.fileName());
        if (!date)
            continue;
        auto manifest = ReadManifest(info.filePath());
        if (!manifest || manifest->date != *date)
            continue;
        listed.push_back({info.filePath(), info.size(), std::move(*manifest)});
    }
    std::sort(listed.begin(), listed.end(),
              [](const Listed& a, const Listed& b) { return a.manifest.date > b.manifest.date; });
    return listed;
}

Verdict Verify(const QString& path, const QString& onlyFile, const Progress& progress, bool sealed)
{
    Verdict v;
    if (onlyFile.isEmpty()) {
        uLong crc = 0;
        v = readWhole(path, progress, &crc);
        if (!v.ok || !sealed)
            return v;
        v.ok = false;
        QFile file(path);
        const qint64 commentSize = CommentHead.size() + ChecksumDigits;
        if (!file.open(QIODevice::ReadOnly) || !file.seek(file.size() - commentSize) ||
            file.read(commentSize) != CommentHead + checksumText(crc)) {
            v.reason = u"il contenuto non corrisponde al suo codice di controllo"_s;
            return v;
        }
        v.ok = true;
        return v;
    }
    Zip z = openWithManifest(path, v);
    if (!z)
        return v;
    const Manifest::Entry* e = v.manifest->Find(onlyFile);
    if (!e || !e->damage.isEmpty()) {
        v.reason = u"%1 non \u00e8 compreso"_s.arg(onlyFile);
        return v;
    }
    qint64 done = 0;
    Sha256 hash;
    const bool read = readEntry(
        z.get(), e->name, e->size,
        [&](const char* data, qint64 n) {
            hash.AddData(QByteArrayView(data, n));
            done += n;
            return !progress || progress(std::min(done, e->size), e->size);
        },
        &v.reason);
    if (!read)
        return v;
    if (hash.HexResult() != e->sha256) {
        v.reason = u"%1 non corrisponde al suo SHA-256"_s.arg(e->name);
        return v;
    }
    v.ok = true;
    return v;
}

Verdict SealChecked(const QString& path, const Progress& progress)
{
    uLong crc = 0;
    Verdict v = readWhole(path, progress, &crc);
    if (!v.ok)
        return v;
    v.ok = false;
    QFile file(path);
    const QByteArray digits = checksumText(crc);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(file.size() - ChecksumDigits) ||
        file.write(digits) != ChecksumDigits || !file.flush() || ::fsync(file.handle()) != 0) {
        v.reason = file.errorString();
        return v;
    }
    v.ok = true;
    return v;
}

bool Extract(const QString& path, const Manifest& manifest, const QString& name, const QString& target,
             QString* error)
{
    const Manifest::Entry* e = manifest.Find(name);
    if (!e || !e->damage.isEmpty()) {
        *error = u"%1 non \u00e8 compreso nella copia"_s.arg(name);
        return false;
    }
    Zip z = openForReading(path, error);
    if (!z)
        return false;
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = out.errorString();
        return false;
    }
    Sha256 hash;
    bool written = true;
    const bool read = readEntry(
        z.get(), name, e->size,
        [&](const char* data, qint64 n) {
            hash.AddData(QByteArrayView(data, n));
            written = out.write(data, n) == n;
            return written;
        },
        error);
    if (!written || !out.flush() || ::fsync(out.handle()) != 0) {
        *error = u"impossibile scrivere %1: %2"_s.arg(target, out.errorString());
        return false;
    }
    if (!read)
        return false;
    if (hash.HexResult() != e->sha256) {
        *error = u"%1 non corrisponde al suo SHA-256"_s.arg(name);
        return false;
    }
    return true;
}

std::optional<QByteArray> ReadSmallFile(const QString& path, const Manifest& manifest, const QString& name,
                                        QString* error)
{
    const Manifest::Entry* e = manifest.Find(name);
    if (!e || !e->damage.isEmpty() || e->size > (64 << 20)) {
        *error = u"%1 non \u00e8 compreso nella copia"_s.arg(name);
        return std::nullopt;
    }
    Zip z = openForReading(path, error);
    if (!z)
        return std::nullopt;
    QByteArray bytes;
    if (!readEntry(
            z.get(), name, e->size,
            [&](const char* data, qint64 n) {
                bytes.append(data, n);
                return true;
            },
            error))
        return std::nullopt;
    if (Sha256::Hex(bytes) != e->sha256) {
        *error = u"%1 non corrisponde al suo SHA-256"_s.arg(name);
        return std::nullopt;
    }
    return bytes;
}

QByteArray UnsealedComment()
{
    return CommentHead + QByteArray(ChecksumDigits, '0');
}

bool Seal(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        *error = file.errorString();
        return false;
    }
    const qint64 size = file.size();
    uLong crc = crc32(0L, Z_NULL, 0);
    std::unique_ptr<char[]> buffer(new char[BufferSize]);
    qint64 left = size - ChecksumDigits;
    while (left > 0) {
        const qint64 n = file.read(buffer.get(), std::min(left, BufferSize));
        if (n <= 0) {
            *error = file.errorString();
            return false;
        }
        crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.get()), uInt(n));
        left -= n;
    }
    const QByteArray digits = checksumText(crc);
    if (!file.seek(size - ChecksumDigits) || file.write(digits) != ChecksumDigits || !file.flush() ||
        ::fsync(file.handle()) != 0) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QByteArray Sha256OfFile(const QString& path, const Progress& progress, qint64 doneBefore, qint64 total)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    Sha256 hash;
    std::unique_ptr<char[]> buffer(new char[BufferSize]);
    qint64 done = doneBefore;
    while (true) {
        const qint64 n = file.read(buffer.get(), BufferSize);
        if (n < 0)
            return {};
        if (n == 0)
            break;
        hash.AddData(QByteArrayView(buffer.get(), n));
        done += n;
        if (progress && !progress(done, total))
            return {};
    }
    return hash.HexResult();
}

} // namespace Generation
