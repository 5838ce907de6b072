// SPDX-License-Identifier: GPL-3.0-or-later
#include "Screens.h"

#include "Desktop.h"
#include "GuideTexts.h"
#include "MakerInfo.h"
#include "PasswordFile.h"
#include "ScreenKit.h"
#include "TfrmAvvio.h"
#include "TfrmCambiaPassword.h"
#include "TfrmHelpForm.h"
#include "TfrmInfo.h"
#include "TfrmPassword.h"
#include "TfrmSplash.h"
#include "TfrmZoom.h"
#include "card/RecordCard.h"
#include "card/TfrmAllegaCartella.h"
#include "card/TfrmAllegaFile.h"

#include <QDir>

template <typename T, typename... Args> T* Screens::create(Args&&... args)
{
    auto screen = std::make_unique<T>(std::forward<Args>(args)...);
    T* raw = screen.get();
    m_screens.push_back(std::move(screen));
    return raw;
}

Screens::Screens(const QString& programFolder)
    : m_programFolder(programFolder)
{
    m_password = create<TfrmPassword>(*this);
    m_startMenu = create<TfrmAvvio>(*this);
    m_changePassword = create<TfrmCambiaPassword>(*this);
    m_helpForm = create<TfrmHelpForm>(*this);
    m_info = create<TfrmInfo>(*this);
    m_splash = create<TfrmSplash>(*this);
    m_zoom = create<TfrmZoom>(nullptr);
    for (const CategoryDescriptor& category : Categories::All) {
        m_cards.push_back(create<RecordCard>(*this, category));
        if (&category == &Categories::All.front()) {
            // The two attachment dialogs exist from the start; the card makes a fresh one for each use.
            create<TfrmAllegaCartella>(*this, nullptr);
            create<TfrmAllegaFile>(*this, nullptr);
        }
    }
}

Screens::~Screens()
{
    while (!m_screens.empty())
        m_screens.pop_back();
}

QString Screens::ProgramFile(const QString& fileName) const
{
    return QDir(m_programFolder).filePath(fileName);
}

QString Screens::PasswordFilePath() const
{
    return ProgramFile(QString::fromLatin1(PasswordFile::FileName));
}

RecordCard* Screens::Card(const CategoryDescriptor& category) const
{
    for (RecordCard* card : m_cards) {
        if (&card->Category() == &category)
            return card;
    }
    return nullptr;
}

RecordCard* Screens::CardByToken(const QString& tableName) const
{
    const CategoryDescriptor* category = Categories::ByTableName(tableName);
    return category ? Card(*category) : nullptr;
}

std::vector<QWidget*> Screens::All() const
{
    std::vector<QWidget*> all;
    for (const auto& s : m_screens)
        all.push_back(s.get());
    return all;
}

void Screens::ShowGuideTopic(const GuideTopic& topic)
{
    m_helpForm->SetTopic(topic);
    m_helpForm->exec();
}

void Screens::OpenMakerWebSite()
{
    BusyCursor busy;
    desktop().Open(QUrl(MakerInfo::WebAddress()));
}
