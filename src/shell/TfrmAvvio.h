// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QMovie;
class Screens;

// The start menu: the ten archive tiles, the guide, information and credits screens, and the exit.
class TfrmAvvio : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmAvvio(Screens& screens);

    // Where the container goes for a window of the given outer size.
    static QPoint ContainerPosition(QSize outerSize);
    // Shows the record card of a category and hides the menu.
    void OpenCategory(int index);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Screens& m_screens;
    QWidget* m_container;
    QLabel* m_strip;
    QMovie* m_movie = nullptr;
};

// The outer size of a window: its frame and title bar included.
QSize OuterSize(const QWidget* window);
