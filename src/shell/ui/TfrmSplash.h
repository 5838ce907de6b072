// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shell/SplashAnimation.h"

#include <QDialog>
#include <QTimer>
#include <memory>

class ScreenHost;

// The credits screen: five sprites fly, bounce and spin over a background. A click opens the maker's web
// site and closes it. The animation runs only while the screen is shown and resumes where it stopped.
class TfrmSplash : public QDialog
{
    Q_OBJECT
public:
    static constexpr int TickMs = 50;

    // random is not owned; nullptr uses a generator seeded from the clock.
    explicit TfrmSplash(ScreenHost& host, SplashRandom* random = nullptr);
    ~TfrmSplash() override;

    SplashAnimation& Animation() noexcept { return *m_animation; }
    const QTimer& Timer() const noexcept { return m_timer; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    ScreenHost& m_host;
    std::unique_ptr<SplashRandom> m_ownRandom;
    std::unique_ptr<SplashAnimation> m_animation;
    QTimer m_timer;
    bool m_warned = false;
};
