// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QPoint>
#include <QSize>
#include <QWidget>

// A maximised working window (the start menu, the record card, the photo viewer): its content lies in one
// panel, grpContainer, of 995 x 688 pixels, kept centred whenever the window's size changes. Base is
// QWidget for a window shown side by side with others and QDialog for one shown modally.
template <typename Base> class WorkingWindow : public Base
{
public:
    static constexpr QSize ContainerSize{995, 688};
    // The smallest outer size (frame included) the window may take.
    static constexpr QSize MinimumOuterSize{1038, 742};

    // Where grpContainer goes in a window of the given outer size: centred, then leftShift pixels to the
    // left and 18 up (div truncates toward zero).
    static QPoint ContainerPosition(QSize outerSize, int leftShift)
    {
        return {outerSize.width() / 2 - ContainerSize.width() / 2 - leftShift,
                outerSize.height() / 2 - ContainerSize.height() / 2 - 18};
    }

    QWidget* Container() const noexcept { return m_container; }

protected:
    // leftShift is the window's own correction of the centring (4 on the start menu, 8 elsewhere).
    WorkingWindow(const QString& objectName, const QString& title, int leftShift, QWidget* parent = nullptr,
                  Qt::WindowFlags flags = {});

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeContainer();

    QWidget* m_container = nullptr;
    int m_leftShift;
};

extern template class WorkingWindow<QWidget>;
extern template class WorkingWindow<QDialog>;
