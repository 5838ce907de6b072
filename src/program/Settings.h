// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The program's settings: Codazzurra.ini beside the archives, a UTF-8 INI file with one section per
// subsystem ([Backup], [Scadenze], [Archivi]). Every read goes to the file, so that a value another copy of
// the program wrote meanwhile is seen; every write replaces the file whole and keeps the lines it does not
// change.
class Settings
{
public:
    static constexpr const char* FileName = "Codazzurra.ini";

    explicit Settings(const QString& folder);
    const QString& Path() const noexcept { return m_path; }

    // The value, or fallback when the file, the section or the key is missing or the file cannot be read.
    QString Text(const char* section, const char* key, const QString& fallback = {}) const;
    // A whole number within [minimum, maximum]; fallback otherwise.
    int Number(const char* section, const char* key, int fallback, int minimum, int maximum) const;

    // Raise std::runtime_error when the file cannot be read or written (it is then as it was), and
    // std::invalid_argument for a value holding a line break.
    void SetText(const char* section, const char* key, const QString& value) const;
    void SetNumber(const char* section, const char* key, int value) const;

private:
    QString m_path;
};
