// SPDX-License-Identifier: GPL-3.0-or-later
#include "Win1252.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace Win1252 {

namespace {
constexpr const char* CodecName = "windows-1252";

bool encodes(QStringView text, QByteArray* out)
{
    QStringEncoder encoder(CodecName, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError() || !encoder.isValid())
        return false;
    if (out)
        *out = std::move(bytes);
    return true;
}
} // namespace

std::optional<QByteArray> Encode(const QString& text, qsizetype* firstBadIndex)
{
    QByteArray bytes;
    if (encodes(text, &bytes))
        return bytes;
    if (firstBadIndex) {
        *firstBadIndex = 0;
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
            if (!encodes(QStringView(text).mid(i, len), nullptr)) {
                *firstBadIndex = i;
                break;
            }
            i += len;
        }
    }
    return std::nullopt;
}

QString Decode(const QByteArray& bytes)
{
    QStringDecoder decoder(CodecName, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

QByteArray Trimmed(const QByteArray& bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && quint8(bytes.at(begin)) <= 32)
        ++begin;
    while (end > begin && quint8(bytes.at(end - 1)) <= 32)
        --end;
    return bytes.mid(begin, end - begin);
}

QString TrimmedText(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

} // namespace Win1252
