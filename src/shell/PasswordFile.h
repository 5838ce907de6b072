// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The access password, scrambled, in an INI-format file beside the executable (section "Accesso", key
// "Valore"). Reading follows the usual private-profile rules (names without regard to case, blanks
// around values ignored); writing replaces the file atomically, keeping its other lines.
class PasswordFile
{
public:
    static constexpr const char* FileName = "unins000.dll";
    // The password a fresh program folder opens with.
    static constexpr const char* FirstPassword = "riconoscimento";

    explicit PasswordFile(const QString& path);
    const QString& path() const noexcept { return m_path; }

    // The stored value; empty when the file, the section or the key is missing.
    QByteArray ReadValue() const;
    // Raises std::runtime_error when the file cannot be written; the old file is then untouched.
    void WriteValue(const QByteArray& value) const;

    // The typed password as stored: Windows-1252 bytes, trimmed of codes 0 to 32, a to z upper-cased.
    // Empty optional when the text holds a character Windows-1252 cannot represent.
    static std::optional<QByteArray> Normalise(const QString& typed);
    // Whether typed is the stored password; raises when the stored value is damaged.
    bool Matches(const QString& typed) const;

    // Writes the password file with the first password into folder, unless the folder already holds one (a
    // password the user changed is never reset). Raises std::runtime_error when it cannot be written.
    static void WriteFirst(const QString& folder);

private:
    QString m_path;
};
