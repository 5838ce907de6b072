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

namespace SearchControls {

QFont Verdana(int pixels, bool bold)
{
    QFont font(u"Verdana"_s);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* Label(const QString& name, const QString& text, QWidget* parent, QRect geometry, const QFont& font,
              const QColor& colour)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setFont(font);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    return label;
}

QPushButton* Button(const QString& name, const QString& text, QWidget* parent, QRect geometry,
                    Qt::FocusPolicy focus)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
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
    QPalette p = edit->palette();
    p.setColor(QPalette::Text, Qt::black);
    edit->setPalette(p);
    Kit::InstallFocusColours(edit, Kit::MoneyGreen);
    if (label) {
        label->setBuddy(edit);
        edit->setAccessibleName(label->text().chopped(label->text().endsWith(u':') ? 1 : 0));
    }
    return edit;
}

QFrame* PictureBox(const QString& boxName, const QString& pictureName, const QString& picture,
                   QWidget* parent, QRect geometry)
{
    auto* box = new QFrame(parent);
    box->setObjectName(boxName);
    box->setGeometry(geometry);
    box->setFrameShape(QFrame::Box);
    box->setFrameShadow(QFrame::Plain);
    QPalette p = box->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    box->setPalette(p);
    auto* image = new QLabel(box);
    image->setObjectName(pictureName);
    image->setGeometry(1, 1, geometry.width() - 2, geometry.height() - 2);
    image->setAlignment(Qt::AlignCenter);
    const QPixmap pixmap = Kit::Picture(picture);
    const QSize room = image->size() - QSize(6, 6);
    image->setPixmap(pixmap.width() > room.width() || pixmap.height() > room.height()
                         ? pixmap.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                         : pixmap);
    return box;
}

} // namespace SearchControls
