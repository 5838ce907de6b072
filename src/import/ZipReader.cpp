// SPDX-License-Identifier: GPL-3.0-or-later
#include "ZipReader.h"

#include "ImportError.h"

#include <QFile>
#include <zip.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString damaged(const QString& path, const QString& why)
{
    return u"Il file \u00ab%1\u00bb non \u00e8 un file zip leggibile (%2)."_s.arg(path, why);
}

// libzip's reason in Italian, for the errors a damaged or unusual file gives; libzip's own words for the
// rest.
QString reason(const zip_error_t* error)
{
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_NOZIP:
        return u"formato non riconosciuto"_s;
    case ZIP_ER_INCONS:
        return u"archivio zip incoerente o troncato"_s;
    case ZIP_ER_CRC:
        return u"somma di controllo errata"_s;
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
    case ZIP_ER_EOF:
        return u"errore di lettura: il file \u00e8 forse troncato"_s;
    case ZIP_ER_OPEN:
    case ZIP_ER_NOENT:
        return u"impossibile aprire il file"_s;
    case ZIP_ER_COMPNOTSUPP:
        return u"metodo di compressione non supportato"_s;
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
        return u"archivio cifrato con password"_s;
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA:
        return u"dati compressi danneggiati"_s;
    case ZIP_ER_MEMORY:
        return u"memoria insufficiente"_s;
    default:
        return QString::fromUtf8(zip_error_strerror(const_cast<zip_error_t*>(error)));
    }
}

} // namespace

ZipMemberDevice::ZipMemberDevice(zip_file* file, qint64 declared, QString name)
    : m_file(file)
    , m_declared(declared)
    , m_name(std::move(name))
{
    QIODevice::open(QIODevice::ReadOnly);
}

ZipMemberDevice::~ZipMemberDevice()
{
    zip_fclose(m_file);
}

qint64 ZipMemberDevice::readData(char* data, qint64 maxSize)
{
    if (m_failed)
        return -1;
    const zip_int64_t n = zip_fread(m_file, data, zip_uint64_t(maxSize));
    if (n < 0) {
        m_failed = true;
        setErrorString(reason(zip_file_get_error(m_file)));
        return -1;
    }
    m_read += n;
    if (m_read > m_declared) {
        m_failed = true;
        setErrorString(u"la voce %1 contiene pi\u00f9 byte di quanti ne dichiara"_s.arg(m_name));
        return -1;
    }
    return n;
}

ZipReader::ZipReader(const QString& path)
    : m_path(path)
{
    int error = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!m_zip) {
        zip_error_t e;
        zip_error_init_with_code(&e, error);
        const QString why = reason(&e);
        zip_error_fini(&e);
        throw EImportError(damaged(path, why));
    }
    // A file holding a bomb is refused whole, whichever member would be read first.
    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    try {
        for (zip_int64_t i = 0; i < count; ++i) {
            if (const char* name = zip_get_name(m_zip, zip_uint64_t(i), 0))
                checkedIndex(QString::fromUtf8(name));
        }
    } catch (...) {
        zip_discard(m_zip);
        throw;
    }
}

ZipReader::~ZipReader()
{
    zip_discard(m_zip);
}

bool ZipReader::Contains(const QString& name) const
{
    return zip_name_locate(m_zip, name.toUtf8().constData(), 0) >= 0;
}

qint64 ZipReader::checkedIndex(const QString& name) const
{
    const zip_int64_t index = zip_name_locate(m_zip, name.toUtf8().constData(), 0);
    if (index < 0)
        throw EImportError(damaged(m_path, u"manca %1"_s.arg(name)));
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_zip, zip_uint64_t(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
        !(st.valid & ZIP_STAT_COMP_SIZE))
        throw EImportError(damaged(m_path, u"voce %1 illeggibile"_s.arg(name)));
    const auto size = qint64(st.size);
    const auto packed = qint64(st.comp_size);
    // A stored member unpacks to exactly its own bytes in the file (a backup's archives are stored so),
    // so no size of it is a bomb.
    const bool stored = (st.valid & ZIP_STAT_COMP_METHOD) && st.comp_method == ZIP_CM_STORE && size == packed;
    if (!stored && (size > MaxMemberSize || (size > RatioFreeSize && size > MaxRatio * packed)))
        throw EImportError(u"Il file \u00ab%1\u00bb \u00e8 stato rifiutato: la voce %2 si espanderebbe a %3 "
                           u"byte da %4 (una \u00abbomba zip\u00bb)."_s.arg(m_path, name)
                               .arg(size)
                               .arg(packed));
    return index;
}

qint64 ZipReader::Size(const QString& name) const
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_zip, zip_uint64_t(checkedIndex(name)), 0, &st) != 0)
        return 0;
    return qint64(st.size);
}

std::unique_ptr<ZipMemberDevice> ZipReader::Open(const QString& name) const
{
    const qint64 index = checkedIndex(name);
    zip_stat_t st;
    zip_stat_init(&st);
    zip_stat_index(m_zip, zip_uint64_t(index), 0, &st);
    zip_file_t* file = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
    if (!file)
        throw EImportError(damaged(m_path, reason(zip_get_error(m_zip))));
    return std::make_unique<ZipMemberDevice>(file, qint64(st.size), name);
}

QByteArray ZipReader::ReadAll(const QString& name) const
{
    const auto device = Open(name);
    QByteArray bytes = device->readAll();
    if (device->Failed())
        throw EImportError(damaged(m_path, device->errorString()));
    return bytes;
}
