// SPDX-License-Identifier: GPL-3.0-or-later
#include "Settings.h"

#include "IniFile.h"

#include <QDir>
#include <exception>

Settings::Settings(const QString& folder)
    : m_path(QDir(folder).filePath(QString::fromLatin1(FileName)))
{}

QString Settings::Text(const char* section, const char* key, const QString& fallback) const
{
    try {
        const auto value = IniFile::Load(m_path).Find(section, key);
        return value ? QString::fromUtf8(*value) : fallback;
    } catch (const std::exception&) {
        return fallback;
    }
}

int Settings::Number(const char* section, const char* key, int fallback, int minimum, int maximum) const
{
    bool ok = false;
    const int value = Text(section, key).toInt(&ok);
    return ok && value >= minimum && value <= maximum ? value : fallback;
}

void Settings::SetText(const char* section, const char* key, const QString& value) const
{
    IniFile file = IniFile::Load(m_path);
    file.Set(section, key, value.toUtf8());
    file.Save(m_path, "\n");
}

void Settings::SetNumber(const char* section, const char* key, int value) const
{
    SetText(section, key, QString::number(value));
}
