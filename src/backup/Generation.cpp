// SPDX-License-Identifier: GPL-3.0-or-later
#include "Generation.h"

#include <QCryptographicHash>
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

bool checksumMatches(const QString& path, QString* error, const Generation::Progress& progress, qint64 total)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    const qint64 size = file.size();
    const qint64 commentSize = CommentHead.size() + ChecksumDigits;
    if (size < commentSize + 22) {
        *error = u"file troppo corto"_s;
        return false;
    }
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
        if (progress && !progress(size - ChecksumDigits - left, total)) {
            *error = u"interrotta"_s;
            return false;
        }
    }
    const QByteArray stored = file.read(ChecksumDigits);
    file.seek(size - commentSize);
    const QByteArray head = file.read(CommentHead.size());
    if (head != CommentHead ||
        stored != QByteArray::number(qulonglong(crc), 16).rightJustified(ChecksumDigits, '0')) {
        *error = u"il contenuto non corrisponde al suo codice di controllo"_s;
        return false;
    }
    return true;
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
    std::optional<Manifest> manifest;
    if (z) {
        QByteArray text;
        if (readEntry(
                z.get(), QString::fromLatin1(Manifest::FileName), -1,
                [&](const char* data, qint64 n) {
                    text.append(data, n);
                    return text.size() < (1 << 20);
                },
                &reason)) {
            manifest = Manifest::Parse(text);
            if (!manifest)
                reason = u"elenco del contenuto (Manifest.txt) illeggibile"_s;
        }
    }
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
    const bool whole = onlyFile.isEmpty() && sealed;
    const qint64 fileSize = QFileInfo(path).size();
    qint64 total = whole ? 2 * fileSize : fileSize;
    if (whole && !checksumMatches(path, &v.reason, progress, total))
        return v;
    Zip z = openForReading(path, &v.reason);
    if (!z)
        return v;
    v.manifest = ReadManifest(path, &v.reason);
    if (!v.manifest)
        return v;
    const auto files = v.manifest->Files();
    // Exactly the files the manifest names, and the manifest.
    const zip_int64_t count = zip_get_num_entries(z.get(), 0);
    if (count != zip_int64_t(files.size() + 1)) {
        v.reason = u"il numero di file non corrisponde all'elenco del contenuto"_s;
        return v;
    }
    if (!onlyFile.isEmpty()) {
        const Manifest::Entry* e = v.manifest->Find(onlyFile);
        if (!e || !e->damage.isEmpty()) {
            v.reason = u"%1 non \u00e8 compreso"_s.arg(onlyFile);
            return v;
        }
        total = e->size;
    }
    qint64 done = whole ? fileSize : 0;
    for (const Manifest::Entry* e : files) {
        if (!onlyFile.isEmpty() && e->name != onlyFile)
            continue;
        QCryptographicHash hash(QCryptographicHash::Sha256);
        const bool read = readEntry(
            z.get(), e->name, e->size,
            [&](const char* data, qint64 n) {
                hash.addData(QByteArrayView(data, n));
                done += n;
                return !progress || progress(std::min(done, total), total);
            },
            &v.reason);
        if (!read)
            return v;
        if (hash.result().toHex() != e->sha256) {
            v.reason = u"%1 non corrisponde al suo SHA-256"_s.arg(e->name);
            return v;
        }
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
    QCryptographicHash hash(QCryptographicHash::Sha256);
    bool written = true;
    const bool read = readEntry(
        z.get(), name, e->size,
        [&](const char* data, qint64 n) {
            hash.addData(QByteArrayView(data, n));
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
    if (hash.result().toHex() != e->sha256) {
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
    if (QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() != e->sha256) {
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
    const QByteArray digits = QByteArray::number(qulonglong(crc), 16).rightJustified(ChecksumDigits, '0');
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
    QCryptographicHash hash(QCryptographicHash::Sha256);
    std::unique_ptr<char[]> buffer(new char[BufferSize]);
    qint64 done = doneBefore;
    while (true) {
        const qint64 n = file.read(buffer.get(), BufferSize);
        if (n < 0)
            return {};
        if (n == 0)
            break;
        hash.addData(QByteArrayView(buffer.get(), n));
        done += n;
        if (progress && !progress(done, total))
            return {};
    }
    return hash.result().toHex();
}

} // namespace Generation
