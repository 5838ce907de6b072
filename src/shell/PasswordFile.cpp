// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasswordFile.h"

#include "Crypt.h"
#include "storage/AtomicFile.h"
#include "storage/Win1252.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <stdexcept>

namespace {

constexpr const char* Section = "Accesso";
constexpr const char* Key = "Valore";

QByteArray sectionName(const QByteArray& line)
{
    const QByteArray t = line.trimmed();
    if (t.startsWith('[') && t.endsWith(']'))
        return t.mid(1, t.size() - 2).trimmed();
    return {};
}

// The key of a "key=value" line, or empty.
QByteArray keyOf(const QByteArray& line)
{
    const qsizetype eq = line.indexOf('=');
    return eq > 0 ? line.left(eq).trimmed() : QByteArray();
}

bool sameName(const QByteArray& a, const char* b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

PasswordFile::PasswordFile(const QString& path)
    : m_path(path)
{}

QByteArray PasswordFile::ReadValue() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    bool inSection = false;
    for (QByteArray line : file.readAll().split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inSection = sameName(sectionName(line), Section);
            continue;
        }
        if (inSection && sameName(keyOf(line), Key)) {
            QByteArray value = line.mid(line.indexOf('=') + 1).trimmed();
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front())
                value = value.mid(1, value.size() - 2);
            return value;
        }
    }
    return {};
}

void PasswordFile::WriteValue(const QByteArray& value) const
{
    QList<QByteArray> lines;
    QFile existing(m_path);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly) || !QFileInfo(m_path).isWritable())
            throw std::runtime_error("the password file cannot be written");
        QByteArray content = existing.readAll();
        content.replace("\r\n", "\n");
        lines = content.split('\n');
        if (!lines.isEmpty() && lines.back().isEmpty())
            lines.removeLast();
    }

    const QByteArray entry = QByteArray(Key) + '=' + value;
    qsizetype sectionAt = -1, keyAt = -1, sectionEnd = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray t = lines.at(i).trimmed();
        if (t.startsWith('[')) {
            if (sectionAt >= 0 && sectionEnd < 0)
                sectionEnd = i;
            if (sectionAt < 0 && sameName(sectionName(t), Section))
                sectionAt = i;
        } else if (sectionAt >= 0 && sectionEnd < 0 && keyAt < 0 && sameName(keyOf(t), Key)) {
            keyAt = i;
        }
    }
    if (keyAt >= 0) {
        lines[keyAt] = entry;
    } else if (sectionAt >= 0) {
        qsizetype at = sectionEnd < 0 ? lines.size() : sectionEnd;
        while (at > sectionAt + 1 && lines.at(at - 1).trimmed().isEmpty())
            --at;
        lines.insert(at, entry);
    } else {
        lines << QByteArray("[") + Section + ']' << entry;
    }

    // A new file replaces the old one only once it is completely written.
    QByteArray content;
    for (const QByteArray& line : lines)
        content += line + "\r\n";
    if (!AtomicFile::Write(m_path, content))
        throw std::runtime_error("the password file cannot be written");
}

std::optional<QByteArray> PasswordFile::Normalise(const QString& typed)
{
    const auto bytes = Win1252::Encode(typed);
    if (!bytes)
        return std::nullopt;
    QByteArray value = Win1252::Trimmed(*bytes);
    for (char& c : value) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return value;
}

bool PasswordFile::Matches(const QString& typed) const
{
    const QByteArray stored = Win1252::Trimmed(Crypt::Unscramble(ReadValue()));
    const auto given = Normalise(typed);
    return given && *given == stored;
}
