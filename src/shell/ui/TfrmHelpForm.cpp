// SPDX-License-Identifier: GPL-3.0-or-later
#include "TfrmHelpForm.h"

#include "kit/Artwork.h"
#include "kit/BusyCursor.h"
#include "kit/Colours.h"
#include "kit/CommandPicture.h"
#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/ScreenHost.h"
#include "kit/WindowPlacement.h"
#include "shell/GuideTexts.h"

#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

using namespace Qt::Literals::StringLiterals;

TfrmHelpForm::TfrmHelpForm(ScreenHost& host)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
    , m_host(host)
{
    Kit::SetUpWindow(this, u"TfrmHelpForm"_s, u" Guida in linea"_s, Kit::Navy);
    setFixedSize(561, 459);
    const QFont verdana = Kit::Verdana(13);

    Kit::PictureLabel(u"imgLogo"_s, Kit::Picture(u"help_logo"_s), this, QRect(0, 0, 561, 70));

    m_title =
        Kit::Label(u"panTitle"_s, QString(), this, QRect(0, 70, 561, 26), Kit::Verdana(13, true), Qt::white);
    Kit::FillBackground(m_title, Qt::black);
    m_title->setIndent(10);

    m_topic = new QPlainTextEdit(this);
    m_topic->setObjectName(u"memTopic"_s);
    m_topic->setGeometry(10, 104, 541, 296);
    m_topic->setReadOnly(true);
    m_topic->setFrameShape(QFrame::NoFrame);
    m_topic->setFont(verdana);
    m_topic->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Kit::SetColour(m_topic, QPalette::Base, Kit::Navy);
    Kit::SetColour(m_topic, QPalette::Text, Qt::white);
    m_topic->setAccessibleName(u"Testo della guida"_s);

    auto* pdfIcon = new CommandPicture(u"imgPDF"_s, Kit::Picture(u"icon_pdf"_s), this);
    pdfIcon->setGeometry(12, 412, 32, 32);
    pdfIcon->setAccessibleName(u"Visualizza guida in formato PDF"_s);
    m_pdfLink = new LinkLabel(u"lblPDF"_s, u"Visualizza guida in formato PDF"_s, Qt::white, Qt::red, this);
    m_pdfLink->setFont(verdana);
    m_pdfLink->setGeometry(52, 418, 280, 20);

    QPushButton* ok = Kit::Button(u"cmdOK"_s, u"OK"_s, this, QRect(461, 414, 86, 30));
    ok->setDefault(true);

    // The link is red while the pointer is on it or on its icon, white again over the rest.
    connect(pdfIcon, &CommandPicture::hovered, this, [this] { m_pdfLink->SetColour(Qt::red); });
    connect(pdfIcon, &CommandPicture::left, this, [this] { m_pdfLink->SetColour(Qt::white); });
    m_topic->viewport()->installEventFilter(this);
    installEventFilter(this);
    connect(pdfIcon, &CommandPicture::clicked, this, &TfrmHelpForm::openPdf);
    connect(m_pdfLink, &LinkLabel::clicked, this, &TfrmHelpForm::openPdf);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

bool TfrmHelpForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)
        m_pdfLink->SetColour(Qt::white);
    return QDialog::eventFilter(watched, event);
}

void TfrmHelpForm::SetTopic(const GuideTopic& topic)
{
    m_title->setText(topic.title);
    QString text = topic.text;
    text.replace(u"\r\n"_s, u"\n"_s);
    m_topic->setPlainText(text);
    m_topic->moveCursor(QTextCursor::Start);
    m_topic->verticalScrollBar()->setValue(0);
}

QString TfrmHelpForm::Title() const
{
    return m_title->text();
}

QString TfrmHelpForm::Text() const
{
    return m_topic->toPlainText();
}

void TfrmHelpForm::openPdf()
{
    BusyCursor busy;
    desktop().Open(QUrl::fromLocalFile(m_host.SharedFile(u"Guida.pdf"_s)));
}
