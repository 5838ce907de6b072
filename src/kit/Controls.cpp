// SPDX-License-Identifier: GPL-3.0-or-later
#include "Controls.h"

#include "Artwork.h"
#include "Colours.h"
#include "FieldConventions.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace Kit {

QFont Font(const QString& family, int pixels, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont Verdana(int pixels, bool bold)
{
    return Font(u"Verdana"_s, pixels, bold);
}

QFont Tahoma(int pixels, bool bold)
{
    return Font(u"Tahoma"_s, pixels, bold);
}

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette p = widget->palette();
    p.setColor(role, colour);
    widget->setPalette(p);
}

void FillBackground(QWidget* widget, const QColor& colour)
{
    widget->setAutoFillBackground(true);
    SetColour(widget, QPalette::Window, colour);
}

QLabel* Label(const QString& name, const QString& text, QWidget* parent, QRect geometry, const QFont& font,
              const QColor& colour)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setFont(font);
    SetColour(label, QPalette::WindowText, colour);
    return label;
}

QLabel* PictureLabel(const QString& name, const QPixmap& picture, QWidget* parent, QRect geometry)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(picture);
    label->setGeometry(geometry);
    return label;
}

QPushButton* Button(const QString& name, const QString& text, QWidget* parent, QRect geometry)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

QPushButton* NonDefaultButton(const QString& name, const QString& text, QWidget* parent, QRect geometry,
                              Qt::FocusPolicy focus)
{
    QPushButton* button = Button(name, text, parent, geometry);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setFocusPolicy(focus);
    return button;
}

QLineEdit* Edit(const QString& name, QWidget* parent, QRect geometry, const QFont& font, QLabel* label)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    edit->setFont(font);
    edit->setMaxLength(std::numeric_limits<int>::max());
    SetColour(edit, QPalette::Text, Qt::black);
    InstallFocusColours(edit, MoneyGreen);
    if (label) {
        label->setBuddy(edit);
        edit->setAccessibleName(label->text().chopped(label->text().endsWith(u':') ? 1 : 0));
    }
    return edit;
}

QFrame* FramedPicture(const QString& boxName, const QString& pictureName, const QString& picture,
                      QWidget* parent, QRect geometry)
{
    auto* box = new QFrame(parent);
    box->setObjectName(boxName);
    box->setGeometry(geometry);
    box->setFrameShape(QFrame::Box);
    box->setFrameShadow(QFrame::Plain);
    SetColour(box, QPalette::WindowText, Qt::white);
    auto* image = new QLabel(box);
    image->setObjectName(pictureName);
    image->setGeometry(1, 1, geometry.width() - 2, geometry.height() - 2);
    image->setAlignment(Qt::AlignCenter);
    const QPixmap pixmap = Picture(picture);
    const QSize room = image->size() - QSize(6, 6);
    image->setPixmap(pixmap.width() > room.width() || pixmap.height() > room.height()
                         ? pixmap.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                         : pixmap);
    return box;
}

} // namespace Kit
