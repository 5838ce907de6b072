// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/WorkingWindow.h"

class QLabel;
class QMovie;
class ScreenHost;

// The start menu: the ten archive tiles, the guide, information and credits screens, and the exit.
class TfrmAvvio : public WorkingWindow<QWidget>
{
    Q_OBJECT
public:
    explicit TfrmAvvio(ScreenHost& host);

    // Where the container goes for a window of the given outer size.
    static QPoint ContainerPosition(QSize outerSize);
    // Where the bottom band's round commands go, right to left from the exit: slot 1 is next to it.
    static QPoint BandSlot(int slot);
    // Shows the record card of a category and hides the menu.
    void OpenCategory(int index);
    // Shows or hides the small note that a backup is running.
    void SetBackupRunning(bool running);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    ScreenHost& m_host;
    QLabel* m_strip;
    QLabel* m_backupRunning;
    QMovie* m_movie = nullptr;
};
