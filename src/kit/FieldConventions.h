// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QStringList>
#include <functional>

class QObject;
class QWidget;

// How the edit fields of every screen behave: the focus colour and Enter.
namespace Kit {

// The field takes yellow while focused and rests in restColour otherwise.
void InstallFocusColours(QWidget* field, const QColor& restColour);
// Enter in each named field moves the focus to the next name of the chain (looked up under screen).
// The last name of the chain receives no Enter handling.
void InstallEnterChain(QWidget* screen, const QStringList& names);
// Runs action when Enter is pressed in field (and swallows the key).
void OnEnter(QWidget* field, std::function<void()> action);
// Removes the length limit of line edits (Qt cuts at 32,767 characters) under root, the line edits of
// editable lists included: no text of the program is cut without a word.
void UnlimitTextLength(QWidget* root);

// An event filter for the application: Enter on a focused push button presses it, on every screen (a push
// button of a plain window otherwise answers only to the space bar).
QObject* MakeEnterPressesButtons(QObject* parent);

} // namespace Kit
