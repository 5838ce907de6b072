// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "schedule/ScheduleBook.h"

#include <QDialog>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;
class ScreenHost;

// The schedule and booklet of one card: what is due (type, description, last done, due date, coloured by
// state), added, changed, deleted and marked done; the booklet of what was done, newest first; the
// suggested set of the card's kind of animal. Every write is the schedule book's one transaction: when it
// fails the screen says so and shows the archive as it is.
class ScheduleScreen : public QDialog
{
    Q_OBJECT
public:
    // source: where the archives' schedules are; empty, the archive files of the program folder.
    ScheduleScreen(ScreenHost& host, const CategoryDescriptor& category, qint64 cardId, const QString& animal,
                   QWidget* parent = nullptr, const ScheduleSource& source = {});
    ~ScheduleScreen() override;

    // The commands, as their buttons run them.
    void NewEntry();
    void SaveEntry();
    void DeleteEntry();
    void MarkDoneToday();
    void MarkDoneOn();
    void AddBookletRow();
    void DeleteBookletRow();
    void AddSuggestedSet();
    // Reads the card's schedule and booklet again.
    void Reload();

    const std::vector<ScheduleEntry>& Entries() const noexcept { return m_entries; }
    const std::vector<BookletRow>& Booklet() const noexcept { return m_booklet; }
    // Selects an entry of the list (and fills the fields with it); -1 for none.
    void SelectEntry(int row);
    void SelectBookletRow(int row);

private:
    QDate today() const;
    void fillFields(const ScheduleEntry* entry);
    // The entry typed in the fields; empty, once the reason has been shown, when a field is wrong.
    std::optional<EntryInput> typedEntry();
    std::optional<QDate> typedDoneDate();
    void markDone(const QDate& date);
    // Runs a write of the book; its failure is shown with what, and the screen shows the archive as it is.
    bool write(const QString& what, const std::function<void()>& work);
    void setEnabledAll(bool enabled);

    ScreenHost& m_host;
    const CategoryDescriptor& m_category;
    qint64 m_cardId;
    std::unique_ptr<ScheduleBook> m_book;
    std::vector<ScheduleEntry> m_entries;
    std::vector<BookletRow> m_booklet;
    std::optional<qint64> m_editing;
    int m_noticeDays;
    QTableWidget* m_list = nullptr;
    QTableWidget* m_bookletList = nullptr;
    QComboBox* m_kind = nullptr;
    QLineEdit* m_description = nullptr;
    QLineEdit* m_due = nullptr;
    QSpinBox* m_repeat = nullptr;
    QLineEdit* m_note = nullptr;
    QLineEdit* m_doneDate = nullptr;
    QLabel* m_problem = nullptr;
    QLabel* m_status = nullptr;
};
