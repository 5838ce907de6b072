// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

// The text file Manifest.txt at the root of every generation (UTF-8): the program's version, the date, why
// the generation was made, and for each file its size, SHA-256 and, for an archive, its count of cards and
// the size and modification time the live file had when it was copied. An archive that could not be
// copied because it is damaged is named with the reason, and holds no file.
struct Manifest
{
    enum class Reason { Automatic, OnDemand, BeforeRestore };

    struct Entry
    {
        QString name;                // the file name, at the zip's root and beside the archives
        qint64 size = 0;             // bytes stored
        QByteArray sha256;           // lower-case hex
        std::optional<qint64> cards; // archives only
        qint64 sourceSize = -1;      // the live file's size and modification time (ms since the epoch) when
        qint64 sourceModified = -1;  // it was copied; -1 when not recorded
        QString damage;              // not empty: the archive is damaged and was left out
    };

    static constexpr const char* FileName = "Manifest.txt";

    QString version;
    QDateTime date;
    Reason reason = Reason::OnDemand;
    std::vector<Entry> entries;

    // The files the generation holds (the damaged archives are named but not held).
    std::vector<const Entry*> Files() const;
    const Entry* Find(const QString& name) const;

    QByteArray ToText() const;
    // nullopt when the text is not a whole manifest written by this program.
    static std::optional<Manifest> Parse(const QByteArray& text);

    // "automatica", "su richiesta", "prima del ripristino".
    static QString ReasonText(Reason reason);
};
