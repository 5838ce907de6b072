// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramFixture.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace Qt::Literals::StringLiterals;

void ProgramFixture::startProgram()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_desktop = std::make_unique<FakeDesktop>();
    m_desktop->printerPdf = m_dir->filePath(u"stampante.pdf"_s);
    m_archive = std::make_unique<TestArchive>(m_dir->path());
    m_screens = std::make_unique<Screens>(m_dir->path());
}

void ProgramFixture::stopProgram()
{
    m_screens.reset();
    m_archive.reset();
    m_desktop.reset();
    m_dir.reset();
}

void ProgramFixture::enterText(const QWidget* parent, const QString& field, const QString& text)
{
    QWidget* w = child(parent, field);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(w))
        combo->setEditText(text);
    else
        static_cast<QPlainTextEdit*>(w)->setPlainText(text);
}

bool ProgramFixture::busyCursorShown()
{
    return QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
}
