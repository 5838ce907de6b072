// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasswordInput.h"

#include "kit/FieldConventions.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>

namespace {

// Masks each character with a large filled circle. A style, not a style sheet: a style sheet would take
// over the field's colours and hide the focus colour.
class PasswordStyle final : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return 0x25CF;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QStyle* passwordStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        style = new PasswordStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        style->setParent(qApp);
    }
    return style;
}

} // namespace

QLineEdit* MakePasswordInput(const QString& objectName, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(MaxPasswordLength);
    edit->setStyle(passwordStyle());
    QFont f = edit->font();
    f.setPixelSize(15);
    edit->setFont(f);
    Kit::InstallFocusColours(edit, Qt::white);
    return edit;
}
