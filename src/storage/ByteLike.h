// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

struct sqlite3;

// LIKE for the archives' Windows-1252 texts, compared byte with byte. SQLite's own LIKE reads a TEXT
// value as UTF-8, so on these bytes an accented letter followed by a plain one reads as one undecodable
// character and '%à%' finds "Perché" as well as "Pietà".
namespace ByteLike {

// Whether text matches pattern: '%' stands for any run of bytes (none included), '_' for one byte, the
// letters A to Z match either case and every other byte only itself. escape, when 0 to 255, makes the
// byte after it literal (a wildcard escaped that way, or the escape byte itself) and is never a
// wildcard; an escape at the very end of the pattern matches nothing. Works without recursion in at most
// pattern × text steps, so no pattern can make it hang.
bool Matches(QByteArrayView pattern, QByteArrayView text, int escape = -1);

// Makes like(pattern, text) and like(pattern, text, escape) on this connection, and so its LIKE and
// LIKE … ESCAPE operators, use Matches. NULL reads as the empty text, so '%%' matches a NULL value; a
// BLOB value is matched on its bytes. Returns SQLite's result code.
int Register(sqlite3* db);

} // namespace ByteLike
