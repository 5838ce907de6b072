// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

namespace TestFiles {

// A JPEG of the given size with a colour gradient, encoded by Qt.
QByteArray MakeJpeg(QSize size, int quality = 85);
// Writes bytes to path; fails the calling test's QVERIFY through the return value.
bool WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);
// Runs the sqlite3 command-line tool on a database and returns its standard output, trimmed.
QString RunSqliteTool(const QString& database, const QString& sql);
// True when the tests run with the privileges to ignore file permissions.
bool RunningAsRoot();

} // namespace TestFiles
