// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Card texts are stored as Windows-1252 bytes. These are the only conversions between them and the
// screens' Unicode text; every byte value round-trips, the five undefined ones included.
namespace Win1252 {

// The bytes of text, or nothing when text holds a character Windows-1252 cannot represent. Such a
// character is never dropped or replaced; firstBadIndex, when given, receives its position in text.
std::optional<QByteArray> Encode(const QString& text, qsizetype* firstBadIndex = nullptr);
QString Decode(const QByteArray& bytes);

// bytes without the characters of codes 0 to 32 at either end (inner ones stay).
QByteArray Trimmed(const QByteArray& bytes);
// The same rule for text already decoded: codes 0 to 32 go from both ends (never other Unicode blanks).
QString TrimmedText(const QString& text);

} // namespace Win1252
