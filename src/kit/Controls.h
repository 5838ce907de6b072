// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The controls of the two search screens, built alike.
namespace SearchControls {

// Verdana of a pixel height (8 pt is 11 pixels, 10 pt 13).
QFont Verdana(int pixels, bool bold = false);
QLabel* Label(const QString& name, const QString& text, QWidget* parent, QRect geometry, const QFont& font,
              const QColor& colour = Qt::black);
// A button that Enter in a field never presses: neither default nor auto-default.
QPushButton* Button(const QString& name, const QString& text, QWidget* parent, QRect geometry,
                    Qt::FocusPolicy focus = Qt::StrongFocus);
// A single-line edit without a length limit, black on money green, yellow while focused; labelled by label
// for assistive technology.
QLineEdit* Edit(const QString& name, QWidget* parent, QRect geometry, const QFont& font, QLabel* label);
// A framed white box around a decorative picture.
QFrame* PictureBox(const QString& boxName, const QString& pictureName, const QString& picture,
                   QWidget* parent, QRect geometry);

} // namespace SearchControls
