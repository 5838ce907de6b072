// SPDX-License-Identifier: GPL-3.0-or-later
#include "Crypt.h"

#include <stdexcept>

namespace Crypt {

namespace {
constexpr quint16 StartKey = 7429;
constexpr quint16 Multiplier = 40693;
constexpr quint16 Increment = 27431;

quint16 nextKey(quint16 key, quint8 scrambled)
{
    return quint16((quint32(key) + scrambled) * Multiplier + Increment);
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
} // namespace

QByteArray Scramble(const QByteArray& text)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(text.size() * 2);
    quint16 key = StartKey;
    for (char b : text) {
        const quint8 c = quint8(quint8(b) ^ (key >> 8));
        out.append(Digits[c >> 4]);
        out.append(Digits[c & 15]);
        key = nextKey(key, c);
    }
    return out;
}

QByteArray Unscramble(const QByteArray& hex)
{
    QByteArray out;
    out.reserve(hex.size() / 2);
    quint16 key = StartKey;
    for (qsizetype i = 0; i + 1 < hex.size(); i += 2) {
        const int high = hexDigit(hex.at(i));
        const int low = hexDigit(hex.at(i + 1));
        if (high < 0 || low < 0)
            throw std::invalid_argument("not a hexadecimal value");
        const quint8 c = quint8(high * 16 + low);
        out.append(char(c ^ (key >> 8)));
        key = nextKey(key, c);
    }
    return out;
}

} // namespace Crypt
