// SPDX-License-Identifier: GPL-3.0-or-later
#include "WorkingWindow.h"

#include "Artwork.h"
#include "WindowPlacement.h"

template <typename Base>
WorkingWindow<Base>::WorkingWindow(const QString& objectName, const QString& title, int leftShift,
                                   QWidget* parent, Qt::WindowFlags flags)
    : Base(parent, flags)
    , m_leftShift(leftShift)
{
    this->setObjectName(objectName);
    this->setWindowTitle(title);
    this->setWindowIcon(Kit::Picture(QStringLiteral("app_icon")));
    // The client area that a 1038 x 742 outer size leaves with a usual frame and title bar.
    this->setMinimumSize(1022, 704);
    Kit::TileBackground(this, Kit::Picture(QStringLiteral("pattern")));
    m_container = new QWidget(this);
    m_container->setObjectName(QStringLiteral("grpContainer"));
    m_container->resize(ContainerSize);
}

template <typename Base> void WorkingWindow<Base>::placeContainer()
{
    m_container->move(ContainerPosition(Kit::OuterSize(this), m_leftShift));
}

template <typename Base> void WorkingWindow<Base>::showEvent(QShowEvent* event)
{
    Base::showEvent(event);
    placeContainer();
}

template <typename Base> void WorkingWindow<Base>::resizeEvent(QResizeEvent* event)
{
    Base::resizeEvent(event);
    placeContainer();
}

template class WorkingWindow<QWidget>;
template class WorkingWindow<QDialog>;
