// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// The password scrambler: a 16-bit key advanced with each scrambled byte.
namespace Crypt {

// Two upper-case hexadecimal digits per byte of text.
QByteArray Scramble(const QByteArray& text);
// The inverse of Scramble. A trailing odd digit is ignored; a pair that is not hexadecimal raises
// std::invalid_argument.
QByteArray Unscramble(const QByteArray& hex);

} // namespace Crypt
