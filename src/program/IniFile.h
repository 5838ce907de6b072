// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// An INI-format file held as its lines, so that setting one value keeps every other line as it was.
// Reading follows the usual private-profile rules: section and key names without regard to case, blanks
// around names and values ignored, a value in matching quotes taken without them, the first of two equal
// keys wins. Values are bytes: the caller decides their encoding.
class IniFile
{
public:
    explicit IniFile(const QByteArray& content = {});
    // The file at path; empty when there is none. Raises std::runtime_error when it exists but cannot be
    // read.
    static IniFile Load(const QString& path);

    std::optional<QByteArray> Find(const QByteArray& section, const QByteArray& key) const;
    // Replaces the key's first line in its section, or adds it at the end of the section (the section at
    // the end of the file when there is none). A value never holds a line break: raises
    // std::invalid_argument.
    void Set(const QByteArray& section, const QByteArray& key, const QByteArray& value);

    QByteArray Content(const QByteArray& newline = "\r\n") const;
    // Replaces the file at path whole, or leaves it as it was: raises std::runtime_error with the reason.
    void Save(const QString& path, const QByteArray& newline = "\r\n") const;

private:
    QList<QByteArray> m_lines;
};
