// SPDX-License-Identifier: GPL-3.0-or-later
#include "ByteLike.h"

#include <array>
#include <sqlite3.h>

namespace ByteLike {

namespace {

constexpr std::array<unsigned char, 256> makeFoldTable()
{
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[std::size_t(i)] = (i >= 'A' && i <= 'Z') ? (unsigned char)(i - 'A' + 'a') : (unsigned char)(i);
    return table;
}
constexpr std::array<unsigned char, 256> Fold = makeFoldTable();

QByteArrayView argumentBytes(sqlite3_value* value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_BLOB: {
        const void* bytes = sqlite3_value_blob(value);
        return {static_cast<const char*>(bytes), qsizetype(sqlite3_value_bytes(value))};
    }
    default: {
        const unsigned char* text = sqlite3_value_text(value);
        return {reinterpret_cast<const char*>(text), qsizetype(sqlite3_value_bytes(value))};
    }
    }
}

void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    int escape = -1;
    if (argc == 3) {
        const QByteArrayView e = argumentBytes(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = (unsigned char)(e.at(0));
    }
    const QByteArrayView pattern = argumentBytes(argv[0]);
    // The same bound as SQLite's own LIKE puts on a pattern.
    const int limit = sqlite3_limit(sqlite3_context_db_handle(context), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1);
    if (pattern.size() > limit) {
        sqlite3_result_error(context, "LIKE or GLOB pattern too complex", -1);
        return;
    }
    // The text is read after the pattern: reading a value may convert it, which invalidates earlier
    // pointers into that same value only.
    const QByteArrayView text = argumentBytes(argv[1]);
    sqlite3_result_int(context, Matches(pattern, text, escape) ? 1 : 0);
}

} // namespace

bool Matches(QByteArrayView pattern, QByteArrayView text, int escape)
{
    const auto* p = reinterpret_cast<const unsigned char*>(pattern.data());
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    const qsizetype pn = pattern.size();
    const qsizetype tn = text.size();
    qsizetype pi = 0;
    qsizetype ti = 0;
    // The pattern position just after the last '%' met, and where in the text the part after it is being
    // tried. On a mismatch that '%' takes one more byte; an earlier '%' never needs to, because the
    // leftmost place where the part between two '%' matches is always the best one.
    qsizetype resumePattern = -1;
    qsizetype resumeText = 0;
    for (;;) {
        if (pi < pn) {
            const int c = p[pi];
            if (c == escape) {
                if (pi + 1 == pn)
                    return false;
                if (ti < tn && Fold[p[pi + 1]] == Fold[t[ti]]) {
                    pi += 2;
                    ++ti;
                    continue;
                }
            } else if (c == '%') {
                while (pi < pn && p[pi] == '%')
                    ++pi;
                if (pi == pn)
                    return true;
                resumePattern = pi;
                resumeText = ti;
                continue;
            } else if (c == '_') {
                if (ti < tn) {
                    ++pi;
                    ++ti;
                    continue;
                }
            } else if (ti < tn && Fold[c] == Fold[t[ti]]) {
                ++pi;
                ++ti;
                continue;
            }
        } else if (ti == tn) {
            return true;
        }
        if (resumePattern < 0 || resumeText >= tn)
            return false;
        pi = resumePattern;
        ti = ++resumeText;
    }
}

int Register(sqlite3* db)
{
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    int rc =
        sqlite3_create_function_v2(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr,
                                        nullptr);
    return rc;
}

} // namespace ByteLike
