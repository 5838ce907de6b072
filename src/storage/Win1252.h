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

// The one trimming rule of every stored or compared text: the characters of codes 0 to 32 are removed
// from both ends (inner ones stay). Other blanks, such as the no-break space, are kept.
QByteArray Trimmed(const QByteArray& bytes);
// The same rule on shown text: only the characters of codes 0 to 32 go, never other Unicode blanks.
QString Trimmed(const QString& text);

} // namespace Win1252
