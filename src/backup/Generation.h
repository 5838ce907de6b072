// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Manifest.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// One generation: the zip file "Codazzurra AAAA-MM-GG HH.MM.SS.zip" holding the archives, the password file,
// the settings and Manifest.txt, every file stored without compression. Its comment carries a CRC-32 of all
// the zip's other bytes, so that one changed byte anywhere in it is found. A file without that name and a
// readable manifest is not a generation.
namespace Generation {

// Called while reading or writing with the bytes done and the bytes in all; false stops the work.
using Progress = std::function<bool(qint64 done, qint64 total)>;

QString FileName(const QDateTime& date);
// The date a generation's file name gives; nullopt when the name is not a generation's.
std::optional<QDateTime> DateOfName(const QString& fileName);

// The names of the program's own temporary files in a destination (generations being written, archive
// copies being made): ".codazzurra-backup-" followed by six letters or digits, and libzip's or SQLite's
// own suffixes of those.
QRegularExpression TemporaryNames();
// A name of that form in folder that no file has yet.
QString NewTemporaryPath(const QString& folder, const QString& suffix = {});

struct Listed
{
    QString path;
    qint64 size = 0;
    Manifest manifest;
};
// The generations in folder, newest first (by the date of their names). Reads each one's manifest, not its
// files: a generation listed here may still fail verification.
std::vector<Listed> List(const QString& folder);
// The manifest of the generation at path; nullopt, with the reason, when there is none.
std::optional<Manifest> ReadManifest(const QString& path, QString* error = nullptr);

struct Verdict
{
    bool ok = false;
    QString reason; // why it is damaged
    std::optional<Manifest> manifest;
};
// Checks a generation: its checksum, the zip's consistency, its manifest, and each file against the
// manifest (size and SHA-256), reading the file once. With onlyFile, the manifest and that file only (which
// must be held). The checksum is left out when sealed is false.
Verdict Verify(const QString& path, const QString& onlyFile = {}, const Progress& progress = {},
               bool sealed = true);
// The zip just written at path read back once and checked as Verify does, then sealed (see Seal): the last
// step before it is given a generation's name.
Verdict SealChecked(const QString& path, const Progress& progress = {});

// Writes the file name of the generation into target (created, or emptied first), checking its size and
// SHA-256 against the manifest on the way. False, with the reason, when it does not match or cannot be
// written.
bool Extract(const QString& path, const Manifest& manifest, const QString& name, const QString& target,
             QString* error);
// The bytes of a small file of the generation, checked likewise; nullopt on any failure.
std::optional<QByteArray> ReadSmallFile(const QString& path, const Manifest& manifest, const QString& name,
                                        QString* error);

// The comment a generation is written with, before its checksum is sealed into it.
QByteArray UnsealedComment();
// Writes into the comment's last bytes the CRC-32 of every byte before them, and syncs the file to disk.
bool Seal(const QString& path, QString* error);

// SHA-256 of a file, in lower-case hex; empty when it cannot be read.
QByteArray Sha256OfFile(const QString& path, const Progress& progress = {}, qint64 doneBefore = 0,
                        qint64 total = 0);

} // namespace Generation
