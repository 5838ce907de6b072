// SPDX-License-Identifier: GPL-3.0-or-later
#include "TfrmPassword.h"

#include "Desktop.h"
#include "MakerInfo.h"
#include "PasswordFile.h"
#include "ScreenKit.h"
#include "Screens.h"
#include "TfrmAvvio.h"
#include "TfrmCambiaPassword.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>

using namespace Qt::Literals::StringLiterals;

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
        style = new PasswordStyle(QStyleFactory::create(u"Fusion"_s));
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
    edit->setMaxLength(TfrmPassword::MaxPasswordLength);
    edit->setStyle(passwordStyle());
    QFont f = edit->font();
    f.setPixelSize(15);
    edit->setFont(f);
    ScreenKit::InstallFocusColours(edit, Qt::white);
    return edit;
}

void CentreOnDesktop(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() -
                 QPoint(window->frameGeometry().width() / 2, window->frameGeometry().height() / 2));
}

TfrmPassword::TfrmPassword(Screens& screens)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
    , m_screens(screens)
{
    ScreenKit::SetUpWindow(this, u"TfrmPassword"_s, u"Codazzurra - Accesso al programma"_s,
                           ScreenKit::Silver);
    setFixedSize(430, 190);

    auto* picture = new QLabel(this);
    picture->setObjectName(u"imgChiave"_s);
    picture->setPixmap(ScreenKit::Picture(u"password"_s));
    picture->setGeometry(20, 24, 72, 72);

    auto* info = new QLabel(u"Immettere la password e premere OK."_s, this);
    info->setObjectName(u"lblInfo"_s);
    info->setGeometry(112, 26, 300, 22);

    m_password = MakePasswordInput(u"txtPassword"_s, this);
    m_password->setGeometry(112, 56, 296, 30);
    info->setBuddy(m_password);
    m_password->setAccessibleName(u"Password"_s);

    m_ok = new QPushButton(u"OK"_s, this);
    m_ok->setObjectName(u"cmdOK"_s);
    m_ok->setEnabled(false);
    m_ok->setGeometry(112, 130, 80, 30);

    auto* change = new QPushButton(u"Cambia password"_s, this);
    change->setObjectName(u"btnCambiaPassword"_s);
    change->setGeometry(200, 130, 128, 30);

    auto* quit = new QPushButton(u"Esci"_s, this);
    quit->setObjectName(u"cmdEsci"_s);
    quit->setGeometry(336, 130, 72, 30);

    connect(m_password, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_ok->setEnabled(!text.trimmed().isEmpty()); });
    ScreenKit::OnEnter(m_password, [this] {
        if (m_ok->isEnabled())
            m_ok->click();
    });
    connect(m_ok, &QPushButton::clicked, this, &TfrmPassword::checkPassword);
    connect(change, &QPushButton::clicked, this, [this] {
        m_screens.ChangePassword()->show();
        hide();
    });
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
}

void TfrmPassword::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_centred) {
        CentreOnDesktop(this);
        m_centred = true;
    }
    m_password->setFocus();
}

void TfrmPassword::closeEvent(QCloseEvent* event)
{
    event->accept();
    desktop().Quit();
}

void TfrmPassword::Reopen()
{
    m_password->clear();
    show();
    raise();
    activateWindow();
    m_password->setFocus();
}

void TfrmPassword::checkPassword()
{
    bool matches = false;
    try {
        matches = PasswordFile(m_screens.PasswordFilePath()).Matches(m_password->text());
    } catch (const std::exception&) {
        desktop().Plain(this,
                        u"Attenzione: si \u00e8 verificato un errore durante la procedura di lettura della "
                        "password. Si consiglia di reinstallare il software."_s);
        return;
    }
    if (!matches) {
        desktop().Plain(this, u"Attenzione: password errata."_s);
        m_password->clear();
        m_password->setFocus();
        return;
    }
    m_password->clear();
    ScreenKit::ShowMaximised(m_screens.StartMenu());
    hide();
}
