// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasswordFile.h"

#include "Crypt.h"
#include "program/IniFile.h"
#include "storage/Win1252.h"

#include <QDir>
#include <QFileInfo>
#include <stdexcept>

namespace {

constexpr const char* Section = "Accesso";
constexpr const char* Key = "Valore";

} // namespace

PasswordFile::PasswordFile(const QString& path)
    : m_path(path)
{}

QByteArray PasswordFile::ReadValue() const
{
    try {
        return IniFile::Load(m_path).Find(Section, Key).value_or(QByteArray());
    } catch (const std::runtime_error&) {
        return {};
    }
}

void PasswordFile::WriteValue(const QByteArray& value) const
{
    if (QFileInfo::exists(m_path) && !QFileInfo(m_path).isWritable())
        throw std::runtime_error("the password file cannot be written");
    // A new file replaces the old one only once it is completely written; its other lines stay.
    IniFile file = IniFile::Load(m_path);
    file.Set(Section, Key, value);
    file.Save(m_path);
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

void PasswordFile::WriteFirst(const QString& folder)
{
    const PasswordFile file(QDir(folder).filePath(QString::fromLatin1(FileName)));
    if (QFileInfo::exists(file.path()))
        return;
    file.WriteValue(Crypt::Scramble(*Normalise(QString::fromLatin1(FirstPassword))));
}
