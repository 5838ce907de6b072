// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniFile.h"

#include "storage/AtomicFile.h"

#include <QFile>
#include <stdexcept>

namespace {

QByteArray sectionName(const QByteArray& trimmed)
{
    if (trimmed.startsWith('[') && trimmed.endsWith(']'))
        return trimmed.mid(1, trimmed.size() - 2).trimmed();
    return {};
}

// The key of a "key=value" line, or empty.
QByteArray keyOf(const QByteArray& line)
{
    const qsizetype eq = line.indexOf('=');
    return eq > 0 ? line.left(eq).trimmed() : QByteArray();
}

bool sameName(const QByteArray& a, const QByteArray& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniFile::IniFile(const QByteArray& content)
{
    QByteArray text = content;
    text.replace("\r\n", "\n");
    if (text.isEmpty())
        return;
    m_lines = text.split('\n');
    if (m_lines.back().isEmpty())
        m_lines.removeLast();
}

IniFile IniFile::Load(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return IniFile();
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(("cannot read " + path + ": " + file.errorString()).toStdString());
    return IniFile(file.readAll());
}

std::optional<QByteArray> IniFile::Find(const QByteArray& section, const QByteArray& key) const
{
    bool inSection = false;
    for (const QByteArray& line : m_lines) {
        const QByteArray t = line.trimmed();
        if (t.startsWith('[')) {
            inSection = sameName(sectionName(t), section);
            continue;
        }
        if (inSection && sameName(keyOf(t), key)) {
            QByteArray value = t.mid(t.indexOf('=') + 1).trimmed();
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front())
                value = value.mid(1, value.size() - 2);
            return value;
        }
    }
    return std::nullopt;
}

void IniFile::Set(const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    if (value.contains('\n') || value.contains('\r'))
        throw std::invalid_argument("a setting's value cannot hold a line break");
    const QByteArray entry = key + '=' + value;
    qsizetype sectionAt = -1, keyAt = -1, sectionEnd = -1;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QByteArray t = m_lines.at(i).trimmed();
        if (t.startsWith('[')) {
            if (sectionAt >= 0 && sectionEnd < 0)
                sectionEnd = i;
            if (sectionAt < 0 && sameName(sectionName(t), section))
                sectionAt = i;
        } else if (sectionAt >= 0 && sectionEnd < 0 && keyAt < 0 && sameName(keyOf(t), key)) {
            keyAt = i;
        }
    }
    if (keyAt >= 0) {
        m_lines[keyAt] = entry;
    } else if (sectionAt >= 0) {
        qsizetype at = sectionEnd < 0 ? m_lines.size() : sectionEnd;
        while (at > sectionAt + 1 && m_lines.at(at - 1).trimmed().isEmpty())
            --at;
        m_lines.insert(at, entry);
    } else {
        m_lines << '[' + section + ']' << entry;
    }
}

QByteArray IniFile::Content(const QByteArray& newline) const
{
    QByteArray content;
    for (const QByteArray& line : m_lines)
        content += line + newline;
    return content;
}

void IniFile::Save(const QString& path, const QByteArray& newline) const
{
    QString error;
    if (!AtomicFile::Write(path, Content(newline), &error))
        throw std::runtime_error(("cannot write " + path + ": " + error).toStdString());
}
