// SPDX-License-Identifier: GPL-3.0-or-later
// Nothing of its own: the tests' precompiled headers are made while compiling this file.
