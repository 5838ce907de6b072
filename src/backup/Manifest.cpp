// SPDX-License-Identifier: GPL-3.0-or-later
#include "Manifest.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Heading = u"Codazzurra - copia di sicurezza"_s;
const QString EndLine = u"Fine"_s;
const QString DateFormat = u"yyyy-MM-dd HH:mm:ss"_s;

bool isHex64(const QByteArray& text)
{
    if (text.size() != 64)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

std::optional<qint64> number(const QString& text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < -1)
        return std::nullopt;
    return value;
}

} // namespace

QString Manifest::ReasonText(Reason reason)
{
    switch (reason) {
    case Reason::Automatic:
        return u"automatica"_s;
    case Reason::OnDemand:
        return u"su richiesta"_s;
    case Reason::BeforeRestore:
        return u"prima del ripristino"_s;
    }
    return {};
}

std::vector<const Manifest::Entry*> Manifest::Files() const
{
    std::vector<const Entry*> files;
    for (const Entry& e : entries) {
        if (e.damage.isEmpty())
            files.push_back(&e);
    }
    return files;
}

const Manifest::Entry* Manifest::Find(const QString& name) const
{
    for (const Entry& e : entries) {
        if (e.name == name)
            return &e;
    }
    return nullptr;
}

QByteArray Manifest::ToText() const
{
    QString text = Heading + u'\n';
    text += u"Versione: "_s + version + u'\n';
    text += u"Data: "_s + date.toString(DateFormat) + u'\n';
    text += u"Motivo: "_s + ReasonText(reason) + u'\n';
    for (const Entry& e : entries) {
        text += u"\nFile: "_s + e.name + u'\n';
        if (!e.damage.isEmpty()) {
            // One line: the reason never breaks the manifest's layout.
            QString damage = e.damage;
            damage.replace(u'\n', u' ').replace(u'\r', u' ');
            text += u"Danneggiato: "_s + damage + u'\n';
        } else {
            text += u"Dimensione: "_s + QString::number(e.size) + u'\n';
            text += u"SHA-256: "_s + QString::fromLatin1(e.sha256) + u'\n';
            if (e.cards)
                text += u"Schede: "_s + QString::number(*e.cards) + u'\n';
        }
        if (e.sourceSize >= 0) {
            text += u"Dimensione originale: "_s + QString::number(e.sourceSize) + u'\n';
            text += u"Modificato: "_s + QString::number(e.sourceModified) + u'\n';
        }
    }
    text += u'\n' + EndLine + u'\n';
    return text.toUtf8();
}

std::optional<Manifest> Manifest::Parse(const QByteArray& bytes)
{
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    // A manifest cut short is not a manifest: it ends with its end line and an empty one.
    if (lines.size() < 6 || lines[0] != Heading || lines.last() != QString() ||
        lines[lines.size() - 2] != EndLine)
        return std::nullopt;
    Manifest m;
    auto value = [](const QString& line, const QString& key) -> std::optional<QString> {
        if (!line.startsWith(key + u": "_s))
            return std::nullopt;
        return line.mid(key.size() + 2);
    };
    const auto version = value(lines[1], u"Versione"_s);
    const auto date = value(lines[2], u"Data"_s);
    const auto reason = value(lines[3], u"Motivo"_s);
    if (!version || !date || !reason)
        return std::nullopt;
    m.version = *version;
    m.date = QDateTime::fromString(*date, DateFormat);
    if (!m.date.isValid())
        return std::nullopt;
    if (*reason == ReasonText(Reason::Automatic))
        m.reason = Reason::Automatic;
    else if (*reason == ReasonText(Reason::OnDemand))
        m.reason = Reason::OnDemand;
    else if (*reason == ReasonText(Reason::BeforeRestore))
        m.reason = Reason::BeforeRestore;
    else
        return std::nullopt;

    Entry* entry = nullptr;
    bool hasSize = false, hasHash = false;
    auto finished = [&] { return !entry || !entry->damage.isEmpty() || (hasSize && hasHash); };
    for (qsizetype i = 4; i < lines.size() - 2; ++i) {
        const QString& line = lines[i];
        if (line.isEmpty())
            continue;
        if (const auto name = value(line, u"File"_s)) {
            if (!finished() || name->isEmpty() || name->contains(u'/') || m.Find(*name))
                return std::nullopt;
            m.entries.push_back({});
            entry = &m.entries.back();
            entry->name = *name;
            hasSize = hasHash = false;
            continue;
        }
        if (!entry)
            return std::nullopt;
        const qsizetype colon = line.indexOf(u": "_s);
        if (colon <= 0)
            return std::nullopt;
        const QString key = line.left(colon);
        const QString text = line.mid(colon + 2);
        if (key == u"Danneggiato"_s) {
            entry->damage = text.isEmpty() ? u"danneggiato"_s : text;
        } else if (key == u"SHA-256"_s) {
            entry->sha256 = text.toLatin1();
            if (!isHex64(entry->sha256))
                return std::nullopt;
            hasHash = true;
        } else {
            const auto n = number(text);
            if (!n)
                return std::nullopt;
            if (key == u"Dimensione"_s && *n >= 0) {
                entry->size = *n;
                hasSize = true;
            } else if (key == u"Schede"_s && *n >= 0) {
                entry->cards = *n;
            } else if (key == u"Dimensione originale"_s) {
                entry->sourceSize = *n;
            } else if (key == u"Modificato"_s) {
                entry->sourceModified = *n;
            } else {
                return std::nullopt;
            }
        }
    }
    if (!finished())
        return std::nullopt;
    return m;
}
