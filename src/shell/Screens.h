// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/CategoryDescriptor.h"

#include <QString>
#include <memory>
#include <vector>

class QWidget;
class RecordCard;
class TfrmAllegaCartella;
class TfrmAllegaFile;
class TfrmAvvio;
class TfrmCambiaPassword;
class TfrmHelpForm;
class TfrmInfo;
class TfrmPassword;
class TfrmSplash;
class TfrmZoom;
struct GuideTopic;

// Every screen of the program, created once at start-up in a fixed order and destroyed (in reverse) when
// the program ends. Screens reach each other through it.
class Screens
{
public:
    // programFolder holds the archives, the password file and the PDF guide.
    explicit Screens(const QString& programFolder);
    ~Screens();
    Screens(const Screens&) = delete;
    Screens& operator=(const Screens&) = delete;

    const QString& ProgramFolder() const noexcept { return m_programFolder; }
    QString ProgramFile(const QString& fileName) const;
    QString PasswordFilePath() const;

    TfrmPassword* Password() const noexcept { return m_password; }
    TfrmAvvio* StartMenu() const noexcept { return m_startMenu; }
    TfrmCambiaPassword* ChangePassword() const noexcept { return m_changePassword; }
    TfrmHelpForm* HelpForm() const noexcept { return m_helpForm; }
    TfrmInfo* Info() const noexcept { return m_info; }
    TfrmSplash* Splash() const noexcept { return m_splash; }
    TfrmZoom* Zoom() const noexcept { return m_zoom; }
    RecordCard* Card(const CategoryDescriptor& category) const;
    // The record card of the category named by a token (its table name); nullptr when none.
    RecordCard* CardByToken(const QString& tableName) const;

    // Every top-level screen, in creation order.
    std::vector<QWidget*> All() const;

    // Fills the guide screen with a topic and shows it modally.
    void ShowGuideTopic(const GuideTopic& topic);
    // Asks the desktop to open the maker's web site; a failure is not reported.
    void OpenMakerWebSite();

private:
    template <typename T, typename... Args> T* create(Args&&... args);

    QString m_programFolder;
    std::vector<std::unique_ptr<QWidget>> m_screens;
    TfrmPassword* m_password = nullptr;
    TfrmAvvio* m_startMenu = nullptr;
    TfrmCambiaPassword* m_changePassword = nullptr;
    TfrmHelpForm* m_helpForm = nullptr;
    TfrmInfo* m_info = nullptr;
    TfrmSplash* m_splash = nullptr;
    TfrmZoom* m_zoom = nullptr;
    std::vector<RecordCard*> m_cards; // in Categories::All order
};
