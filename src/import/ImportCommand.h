// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct Console;

namespace ImportCommand {

// --import FILE --archive NAME [--dry-run] [--skip-duplicates | --include-duplicates]: imports a CSV file,
// a workbook (.xlsx, .ods), another program folder or a backup (.zip) into the named archive of the
// program folder, with the mapping from the header names, and prints the dry run's report (and the
// import's). Exit codes: 0 every row imported (or would be), 1 some rows have problems (nothing
// imported), 2 the file cannot be read or the archive's name is unknown, 3 writing failed (nothing
// imported).
int Run(Console& console);

} // namespace ImportCommand
