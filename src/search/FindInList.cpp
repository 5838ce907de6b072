// SPDX-License-Identifier: GPL-3.0-or-later
#include "FindInList.h"

namespace {

char16_t foldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}

QString lowerAscii(const QString& text)
{
    QString lowered = text;
    for (QChar& c : lowered)
        c = QChar(foldAscii(c.unicode()));
    return lowered;
}

// Whether line, with A to Z in lower case, contains key (already lowered). An empty key never matches.
bool containsLowered(const QString& line, const QString& key)
{
    const qsizetype n = line.size();
    const qsizetype m = key.size();
    if (m == 0 || m > n)
        return false;
    const char16_t* l = reinterpret_cast<const char16_t*>(line.constData());
    const char16_t* k = reinterpret_cast<const char16_t*>(key.constData());
    for (qsizetype start = 0; start + m <= n; ++start) {
        qsizetype j = 0;
        while (j < m && foldAscii(l[start + j]) == k[j])
            ++j;
        if (j == m)
            return true;
    }
    return false;
}

} // namespace

FindInListResult FindInList(const QStringList& lines, int selected, const QString& key,
                            const QString& lastFindKey)
{
    FindInListResult result;
    const int count = int(lines.size());
    if (count == 0) {
        result.selected = selected;
        result.lastFindKey = lastFindKey;
        return result;
    }
    if (selected < 0 || selected >= count)
        selected = 0;
    const QString lowered = lowerAscii(key);
    auto matches = [&](int i) { return containsLowered(lines.at(i), lowered); };

    int start = 0;
    int i = 0;
    bool found = false;
    if (lowered != lastFindKey) {
        found = matches(0);
    } else {
        start = selected;
        i = selected;
    }
    while (!found) {
        i = (i + 1) % count;
        found = matches(i);
        if (i == start)
            break;
    }
    result.outcome = found ? FindInListResult::Outcome::Found : FindInListResult::Outcome::NotFound;
    result.selected = found ? i : selected;
    result.lastFindKey = lowered;
    return result;
}
