// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIODevice>
#include <QString>
#include <memory>

struct zip;
struct zip_file;

// One member of a zip file, streamed. A read error (damaged data, more bytes than declared) makes
// Failed() true and reads return -1.
class ZipMemberDevice final : public QIODevice
{
public:
    ZipMemberDevice(zip_file* file, qint64 declared, QString name);
    ~ZipMemberDevice() override;
    bool isSequential() const override { return true; }
    bool Failed() const noexcept { return m_failed; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    zip_file* m_file;
    qint64 m_declared;
    qint64 m_read = 0;
    bool m_failed = false;
    QString m_name;
};

// A zip file opened for reading members, with the limits that keep a hostile file harmless: a file with a
// compressed member that unpacks to more than 1 GB, or (above 1 MB) to more than 100 times its compressed
// size, is refused whole, and no member yields more bytes than it declares. A stored member (a backup's
// archives) unpacks to its own bytes in the file and has no limit. Every failure raises EImportError.
class ZipReader
{
public:
    static constexpr qint64 MaxMemberSize = qint64(1) << 30;
    static constexpr qint64 MaxRatio = 100;
    // Members up to this size are never a danger, however well they compress.
    static constexpr qint64 RatioFreeSize = qint64(1) << 20;

    explicit ZipReader(const QString& path);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    bool Contains(const QString& name) const;
    // The member's bytes, whole (for the small parts of a workbook).
    QByteArray ReadAll(const QString& name) const;
    // A device that streams the member; it lives no longer than this reader.
    std::unique_ptr<ZipMemberDevice> Open(const QString& name) const;
    // The member's unpacked size as declared.
    qint64 Size(const QString& name) const;

private:
    qint64 checkedIndex(const QString& name) const;

    QString m_path;
    zip* m_zip = nullptr;
};
