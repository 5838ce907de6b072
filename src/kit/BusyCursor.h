// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The hourglass cursor for as long as the object lives, restored in every outcome.
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
