// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "schedule/Reminders.h"

#include <QDialog>
#include <QThread>
#include <functional>

class QLabel;
class QSpinBox;
class QTableWidget;
class ScreenHost;

// The "Scadenze" window: every entry of the ten archives that is overdue or due within the notice period,
// overdue first, then by date; a double-click shows the animal's card on its archive's record card.
// "Stampa" prints the list (or saves it as a PDF file when there is no printer), "Esporta calendario"
// writes the calendar file, "Non mostrare più oggi" keeps the window from opening by itself again today.
// The notice period is kept in Codazzurra.ini ([Scadenze] Preavviso).
class ReminderWindow : public QDialog
{
    Q_OBJECT
public:
    // source: where the archives' schedules are; empty, the archive files of the program folder.
    explicit ReminderWindow(ScreenHost& host, ScheduleSource source = {});
    ~ReminderWindow() override;

    // Reads the ten archives again and shows what is due.
    void Refresh();
    // Shows what a look through the archives found on today.
    void ShowScan(const ReminderScan& scan, const QDate& today);

    // After each unlock: looks through the archives on a thread of its own, so that the start menu is
    // painted without waiting, and shows the window when anything is due, unless the user asked not to
    // see it again today.
    void CheckAfterUnlock();
    // Whether a check after unlock is still running (for tests).
    bool Checking() const;

    const std::vector<Reminder>& Shown() const noexcept { return m_reminders; }
    int NoticeDays() const;
    void SetNoticeDays(int days);

    // The commands, as their buttons run them.
    void OpenCard(int row);
    void Print();
    void ExportCalendar();
    void HideForToday();

signals:
    // A card was shown on its record card from the list.
    void CardOpened();

private:
    QDate today() const;
    void finishCheck();

    ScheduleSource source() const;

    ScreenHost& m_host;
    ScheduleSource m_source;
    std::vector<Reminder> m_reminders;
    QDate m_today;
    QTableWidget* m_list = nullptr;
    QLabel* m_problems = nullptr;
    QLabel* m_count = nullptr;
    QSpinBox* m_notice = nullptr;
    QThread* m_check = nullptr;
    ReminderScan m_checked; // written by the check's thread, read once it has finished
};
