// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/ArchiveStore.h"

#include <QDialog>
#include <array>
#include <memory>

class CommandPicture;
class ExportGridView;
class LinkLabel;
class QLabel;
class ScreenHost;
class TextGrid;

// The export screen of one archive: every card in a read-only grid, one row per card in insertion order
// with a running number and 25 single-line fields, and one action, handing the grid to a new workbook of
// the spreadsheet application. Shown modally from the record card; it only reads the archive.
//
// Each showing loads the archive afresh; an archive without cards, or one that cannot be read (the reason
// goes to the default error box), shows the grid's designed form, never the rows of an earlier showing.
// However the screen is left, the archive is opened again on its first card.
class ExportScreen : public QDialog
{
    Q_OBJECT
public:
    static constexpr QSize ClientSize{783, 505};
    static constexpr int StatusHeight = 26;
    // The hints of the three commands, as the status line shows them.
    static const std::array<QString, 3> Hints;

    ExportScreen(ScreenHost& host, const CategoryDescriptor& category);
    ~ExportScreen() override;

    const CategoryDescriptor& Category() const noexcept { return m_category; }
    ArchiveStore& Store() noexcept { return *m_store; }
    ExportGridView* GridView() const noexcept { return m_grid; }
    const TextGrid& Grid() const;
    QString StatusText() const;

    // What showing does: loads the archive into the grid.
    void LoadArchive();
    // The commands, as their pictures and captions run them.
    void ExportToExcel();
    void ShowGuide();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum Command { Excel, Guida, Esci };
    void addCommand(Command command, const QString& picture, const QString& caption, int centreX);
    void runCommand(Command command);
    // The pointer on a command's picture or caption: its hint, its caption red.
    void pointerOn(Command command);
    // The pointer elsewhere: every caption black; the status line shows text.
    void pointerOff(const QString& text);
    void showCurrentCell();

    ScreenHost& m_host;
    const CategoryDescriptor& m_category;
    std::unique_ptr<ArchiveStore> m_store;
    QWidget* m_toolbar = nullptr;
    ExportGridView* m_grid = nullptr;
    QLabel* m_status = nullptr;
    std::array<CommandPicture*, 3> m_pictures{};
    std::array<LinkLabel*, 3> m_captions{};
};
