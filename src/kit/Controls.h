// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QPixmap;
class QPushButton;
class QWidget;

// The controls every screen builds alike: fonts by pixel height, colours, labels, buttons, edit fields and
// framed pictures.
namespace Kit {

// A font of a pixel height (8 pt is 11 pixels at 96 dots per inch, 10 pt 13).
QFont Font(const QString& family, int pixels, bool bold = false);
QFont Verdana(int pixels, bool bold = false);
QFont Tahoma(int pixels, bool bold = false);

// Sets one role of widget's palette, in every colour group.
void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);
// The widget paints its background in colour.
void FillBackground(QWidget* widget, const QColor& colour);

// A label in font, its text in colour.
QLabel* Label(const QString& name, const QString& text, QWidget* parent, QRect geometry, const QFont& font,
              const QColor& colour = Qt::black);
// A label that shows a picture.
QLabel* PictureLabel(const QString& name, const QPixmap& picture, QWidget* parent, QRect geometry);
// A push button (in a dialog, Qt makes it auto-default).
QPushButton* Button(const QString& name, const QString& text, QWidget* parent, QRect geometry);
// A button that Enter in a field never presses: neither default nor auto-default.
QPushButton* NonDefaultButton(const QString& name, const QString& text, QWidget* parent, QRect geometry,
                              Qt::FocusPolicy focus = Qt::StrongFocus);
// A single-line edit without a length limit, black on money green, yellow while focused; labelled by label
// for assistive technology (its text without a closing colon).
QLineEdit* Edit(const QString& name, QWidget* parent, QRect geometry, const QFont& font, QLabel* label);
// A framed white box around a decorative picture, scaled down to fit when larger.
QFrame* FramedPicture(const QString& boxName, const QString& pictureName, const QString& picture,
                      QWidget* parent, QRect geometry);

} // namespace Kit
