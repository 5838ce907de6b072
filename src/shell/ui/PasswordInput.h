// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QLineEdit;
class QWidget;

// The passwords are at most this long (the input fields' limit).
inline constexpr int MaxPasswordLength = 230;

// A masked password input of the program: at most 230 characters shown as large filled circles, white at
// rest and yellow while focused.
QLineEdit* MakePasswordInput(const QString& objectName, QWidget* parent);
